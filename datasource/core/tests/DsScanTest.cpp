// The source's Scan button running a real job against the scan server
// simulator, with the server address and port taken from the settings
// files as a user's configuration gives them.
#include "DsTestSupport.h"
#include "DialogDriver.h"

#include <shlobj.h>

#include "DiagLog.h"
#include "ModuleStrings_win.h"
#include "SettingsLocator_win.h"
#include "SimulatorClient.h"
#include "WinHandles.h"
#include "SourceScanJob.h"
#include "TwainSrcApp.h"
#include "DataSource.h"
#include "res/main_dialog_ids.h"
#include "res/page_ids.h"
#include "res/server_dialog_ids.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

class DsScan : public DsTest {
protected:
    void SetUp() override {
        DsTest::SetUp();
        ASSERT_NE(CSimulatorClient::Port(), 0) << "simulator not running";
        ASSERT_TRUE(CSimulatorClient::SetScenario({}));
        TheApp().SetScanJobFactory(&CSourceScanJob::Create);
        Configure("127.0.0.1", CSimulatorClient::Port());
    }
    static void Configure(const char *server, int port, int paperPlace = 0, int colour = 0) {
        ConfigureScan(server, port, paperPlace, colour);
    }
    // Memory-transfers the open page; the return code of the last block.
    TW_UINT16 MemoryPage(std::string &bytes, uint32_t bufferSize = 60000) {
        std::vector<char> buffer(bufferSize);
        bytes.clear();
        for (;;) {
            TW_IMAGEMEMXFER block{};
            block.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
            block.Memory.Length = bufferSize;
            block.Memory.TheMem = buffer.data();
            const TW_UINT16 rc = Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &block);
            if (rc == TWRC_SUCCESS || rc == TWRC_XFERDONE)
                bytes.append(buffer.data(), block.BytesWritten);
            if (rc != TWRC_SUCCESS)
                return rc;
        }
    }
    TW_UINT16 EndXfer(TW_PENDINGXFERS &pending) {
        pending = TW_PENDINGXFERS{};
        return Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    }
    static int Session() {
        for (const auto &r : CSimulatorClient::Requests())
            if (r.command == "BEGIN_GET_IMAGE") {
                const auto at = r.body.find("X_SESSION=");
                return at == std::string::npos ? 0 : std::atoi(r.body.c_str() + at + 10);
            }
        return 0;
    }
    std::vector<std::string> Commands() {
        std::vector<std::string> out;
        for (const auto &r : CSimulatorClient::Requests())
            if (!r.command.empty() && r.command != "HEART_BEAT_JOB")
                out.push_back(r.command);
        return out;
    }
};

TEST_F(DsScan, ScanButtonRunsTheJobToTheFirstPageAndCloseEndsIt) {
    Reach(500);
    Click(IDOK);
    EXPECT_EQ(State(), 600u);
    auto calls = Notifications();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].MSG, MSG_XFERREADY);
    EXPECT_EQ(Commands(),
              (std::vector<std::string>{"BEGIN_JOB", "READY_BEGIN_JOB", "BEGIN_SCANPAGE",
                                        "READY_SCANPAGE", "BEGIN_GET_IMAGE"}));
    EXPECT_TRUE(m_boxes.empty());

    Click(IDCANCEL);
    EXPECT_EQ(State(), 500u);
    auto cmds = Commands();
    ASSERT_GE(cmds.size(), 2u);
    EXPECT_EQ(cmds[cmds.size() - 2], "CANCEL_GET_IMAGE");
    EXPECT_EQ(cmds.back(), "END_JOB");
}

std::string BeginJobBody() {
    for (const auto &r : CSimulatorClient::Requests())
        if (r.command == "BEGIN_JOB")
            return r.body;
    return std::string();
}

// What BEGIN_JOB carried for a key, or "" when the key is missing.
std::string BeginJobValue(const std::string &key) {
    const std::string body = "&" + BeginJobBody();
    const std::string field = "&" + key + "=";
    const size_t at = body.find(field);
    if (at == std::string::npos)
        return std::string();
    const size_t start = at + field.size();
    return body.substr(start, body.find('&', start) - start);
}

TEST_F(DsScan, EveryChoiceOnThePagesReachesTheServer) {
    using D = CDialogDriver;
    const std::wstring folder =
        CSettingsLocator::UserFolder(CModuleStrings(GetModuleHandleW(nullptr)));
    ASSERT_TRUE(WritePrivateProfileStringW(L"ScanOption", L"UsePhoto", L"1",
                                           (folder + L"\\CV_NetScanUI.ini").c_str()));
    struct Choice {
        int anchor;  // the page
        int id;
        enum { Pick, Click, Type } how;
        int index;
        const wchar_t *text;
    };
    struct Scan {
        std::vector<Choice> choices;
        std::vector<std::pair<const char *, const char *>> sent;
    };
    const Scan scans[] = {
        {{{IDC_COLOR_MODE, IDC_COLOR_MODE, Choice::Pick, 1, nullptr},
          {IDC_COLOR_MODE, IDC_RESOLUTION, Choice::Pick, 2, nullptr},
          {IDC_COLOR_MODE, IDC_DOC_SIZE, Choice::Pick, 27, nullptr},
          {IDC_COLOR_MODE, IDC_CUSTOM_HEIGHT, Choice::Type, 0, L"123.4"},
          {IDC_COLOR_MODE, IDC_CUSTOM_WIDTH, Choice::Type, 0, L"210"},
          {IDC_DENSITY, IDC_DENSITY, Choice::Pick, 0, nullptr},
          {IDC_DENSITY, IDC_CONTRAST, Choice::Pick, 4, nullptr},
          {IDC_DENSITY, IDC_SATURATION, Choice::Pick, 1, nullptr},
          {IDC_DENSITY, IDC_SHARPNESS, Choice::Pick, 0, nullptr},
          {IDC_DENSITY, IDC_DOC_TYPE, Choice::Pick, 1, nullptr},
          {IDC_DENSITY, IDC_BACKGROUND, Choice::Click, 0, nullptr},
          {IDC_DENSITY, IDC_SHOW_THROUGH, Choice::Click, 0, nullptr},
          {IDC_DENSITY, IDC_PHOTO_PAPER, Choice::Click, 0, nullptr},
          {IDC_MAG_100, IDC_MAG_ZOOM, Choice::Click, 0, nullptr},
          {IDC_MAG_100, IDC_ZOOM_EDIT, Choice::Type, 0, L"150"},
          {IDC_MAG_100, IDC_EDGE_ERASE, Choice::Type, 0, L"5"}},
         {{"X_PAPER_PLACE", "0"},
          {"X_SCAN_FACE", "0"},
          {"X_COLOR_MODE", "1"},
          {"X_RESOLUTION", "2"},
          {"X_INPUTMEDIUMSIZE", "2"},
          {"X_IMAGE_HEIGHT", "1234"},
          {"X_IMAGE_WIDTH", "2100"},
          {"X_INPUTMEDIUMMIX", "0"},
          {"X_BRIGHTNESS", "-3"},
          {"X_CONTRAST", "-2"},
          {"X_SATURATION", "1"},
          {"X_SHARPNESS", "2"},
          {"X_IMAGE_MODE", "0"},
          {"X_ENABLEBACKGROUNDELIMINATION", "1"},
          {"X_BLEEDTHROUGHREMOVAL", "1"},
          {"X_PHOTOGRAPHS", "1"},
          {"X_ISOTROPIC", "150"},
          {"X_OUTPUTMEDIUMSIZE", "0"},
          {"X_EDGEERASE", "5"}}},
        {{{0, IDC_PAPER_FEEDER, Choice::Click, 0, nullptr},
          {IDC_COLOR_MODE, IDC_FACE_DUPLEX_TB, Choice::Click, 0, nullptr},
          {IDC_COLOR_MODE, IDC_DOC_SIZE, Choice::Pick, 4, nullptr},
          {IDC_COLOR_MODE, IDC_MIXED_SIZE, Choice::Click, 0, nullptr},
          {IDC_MAG_100, IDC_MAG_AUTO, Choice::Click, 0, nullptr},
          {IDC_MAG_100, IDC_MAG_AUTO_LIST, Choice::Pick, 2, nullptr}},
         {{"X_PAPER_PLACE", "1"},
          {"X_SCAN_FACE", "2"},
          {"X_INPUTMEDIUMMIX", "1"},
          {"X_INPUTMEDIUMSIZE", "0"},
          {"X_PHOTOGRAPHS", "0"},
          {"X_ISOTROPIC", "0"},
          {"X_OUTPUTMEDIUMSIZE", "5"}}},
        {{{IDC_MAG_100, IDC_MAG_FIXED, Choice::Click, 0, nullptr},
          {IDC_MAG_100, IDC_MAG_FIXED_LIST, Choice::Pick, 4, nullptr}},
         {{"X_ISOTROPIC", "115"}, {"X_OUTPUTMEDIUMSIZE", "0"}}},
    };
    for (const Scan &scan : scans) {
        SCOPED_TRACE(&scan - scans);
        Reach(500);
        for (const Choice &c : scan.choices) {
            HWND page = c.anchor ? D::Page(Dialog(), c.anchor, IDC_TABS) : Dialog();
            ASSERT_NE(page, nullptr);
            if (c.how == Choice::Pick)
                D::Select(page, c.id, c.index);
            else if (c.how == Choice::Click)
                D::Press(page, c.id);
            else
                D::Type(page, c.id, c.text);
        }
        ASSERT_TRUE(CSimulatorClient::SetScenario({}));
        Click(IDOK);
        ASSERT_EQ(State(), 600u);
        for (const auto &[key, value] : scan.sent)
            EXPECT_EQ(BeginJobValue(key), value) << key << " in " << BeginJobBody();
        CloseSource();
    }
}

TEST_F(DsScan, UnreachableServerShowsTheTransportErrorAndStaysInState5) {
    // Port 1 on the loopback address: nothing listens there.
    Configure("127.0.0.1", 1);
    Reach(500);
    Click(IDOK);
    EXPECT_EQ(State(), 500u);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_NE(m_boxes[0].find(L"（"), std::wstring::npos) << "transport text with its code";
    EXPECT_TRUE(Notifications().empty());
}

TEST_F(DsScan, FeederPagesArriveWholeByMemoryTransferAndTheStackEndsTheJob) {
    ASSERT_TRUE(CSimulatorClient::SetScenario({"--feeder-sheets", "3"}));
    Configure("127.0.0.1", CSimulatorClient::Port(), 1, 1);
    Reach(500);
    Click(IDOK);
    ASSERT_EQ(State(), 600u);
    const int session = Session();
    for (int sheet = 1; sheet <= 3; ++sheet) {
        SCOPED_TRACE(sheet);
        TW_IMAGEINFO info{};
        ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
        EXPECT_EQ(info.BitsPerPixel, 8);
        std::string page;
        ASSERT_EQ(MemoryPage(page), TWRC_XFERDONE);
        // Grey rows padded by the server to 4 bytes.
        EXPECT_EQ(page.size(), static_cast<size_t>((info.ImageWidth + 3) & ~3) * info.ImageLength);
        EXPECT_TRUE(page == CSimulatorClient::Page(session, sheet)) << "page bytes differ";
        TW_PENDINGXFERS pending;
        ASSERT_EQ(EndXfer(pending), TWRC_SUCCESS);
        EXPECT_EQ(pending.Count, sheet < 3 ? TW_UINT16(-1) : 0);
        EXPECT_EQ(State(), sheet < 3 ? 600u : 500u);
    }
    EXPECT_FALSE(CSimulatorClient::JobOpen(session));
    EXPECT_TRUE(m_boxes.empty()) << "the end of the stack is silent";
}

TEST_F(DsScan, SheetBrokenMidwayIsReportedAndTheNextSheetStillArrivesWhole) {
    // The first sheet's image stream breaks 5000 bytes in.
    ASSERT_TRUE(CSimulatorClient::SetScenario(
        {"--feeder-sheets", "2", "--drop-at", "GET_IMAGE:byte=5000"}));
    Configure("127.0.0.1", CSimulatorClient::Port(), 1, 1);
    Reach(500);
    Click(IDOK);
    ASSERT_EQ(State(), 600u);
    const int session = Session();
    std::string page;
    EXPECT_EQ(MemoryPage(page, 4000), TWRC_FAILURE);
    TW_STATUS status{};
    Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    EXPECT_EQ(status.ConditionCode, TWCC_OPERATIONERROR);
    EXPECT_EQ(State(), 700u);
    EXPECT_EQ(m_boxes.size(), 1u) << "the user is told";
    TW_PENDINGXFERS pending;
    ASSERT_EQ(EndXfer(pending), TWRC_SUCCESS);
    ASSERT_EQ(pending.Count, TW_UINT16(-1));
    ASSERT_EQ(MemoryPage(page), TWRC_XFERDONE);
    EXPECT_TRUE(page == CSimulatorClient::Page(session, 2)) << "second sheet differs";
    ASSERT_EQ(EndXfer(pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_FALSE(CSimulatorClient::JobOpen(session));
}

TEST_F(DsScan, NativeTransferOfAServerPageAndCancelInTheMiddle) {
    Reach(500);
    Click(IDOK);
    ASSERT_EQ(State(), 600u);
    const int session = Session();
    TW_UINT32 handle = 0;
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
    HGLOBAL dib = reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(handle));
    CGlobalMem owned(dib);
    CGlobalLock<uint8_t> p(dib);
    const auto *h = reinterpret_cast<const BITMAPINFOHEADER *>(p.Get());
    const std::string sent = CSimulatorClient::Page(session, 1);
    const uint32_t row = static_cast<uint32_t>(h->biWidth) * 3;
    const uint32_t stride = (row + 3) & ~3u;  // the server pads its rows the same way
    ASSERT_EQ(sent.size(), static_cast<size_t>(stride) * h->biHeight);
    size_t mismatches = 0;
    for (int32_t g = 0; g < h->biHeight; ++g) {
        const uint8_t *dibRow = p.Get() + 40 + (h->biHeight - 1 - g) * stride;
        const auto *src = reinterpret_cast<const uint8_t *>(sent.data()) + g * stride;
        for (uint32_t x = 0; x < row; x += 3)
            mismatches +=
                dibRow[x] != src[x + 2] || dibRow[x + 1] != src[x + 1] || dibRow[x + 2] != src[x];
    }
    EXPECT_EQ(mismatches, 0u);
    TW_PENDINGXFERS pending;
    ASSERT_EQ(EndXfer(pending), TWRC_SUCCESS);
    EXPECT_EQ(State(), 500u);
    EXPECT_FALSE(CSimulatorClient::JobOpen(session));
}

// A user's prescan, then areas chosen with the mouse on the preview at
// several zoom levels and scroll positions: each scan hands the application
// exactly the rows and columns under the rubber band, as the server sent
// them in the prescan, and the server sees no second job.
class DsPrescan : public DsScan {
protected:
    CMainDlg &Main() { return TheApp().Source()->MainDlg(); }
    HWND PreviewWindow() { return ::GetDlgItem(Dialog(), IDC_PREVIEW); }
    void Mouse(UINT msg, POINT at, WPARAM keys = 0) {
        ::SendMessageW(PreviewWindow(), msg, keys, MAKELPARAM(at.x, at.y));
    }
    void Drag(POINT from, POINT to) {
        Mouse(WM_LBUTTONDOWN, from, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, POINT{(from.x + to.x) / 2, (from.y + to.y) / 2}, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, to, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, to);
    }
    // The image pixel under a client point, as a user sees it: the scroll
    // origin plus the point scaled by 8 / 2^zoom.
    static int32_t Under(int32_t screen, int32_t origin, int32_t zoom) {
        return origin + (screen * 8 >> zoom);
    }
    // Scans the selection by memory transfer and compares it with the
    // prescan page the server sent (RGB rows at a 4-byte stride).
    void ScanMatches(const std::string &sent, int32_t pageWidth, int32_t left, int32_t top,
                     int32_t width, int32_t height) {
        Click(IDOK);
        ASSERT_EQ(State(), 600u);
        TW_IMAGEINFO info{};
        ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
        EXPECT_EQ(info.ImageWidth, width);
        EXPECT_EQ(info.ImageLength, height);
        std::string got;
        ASSERT_EQ(MemoryPage(got), TWRC_XFERDONE);
        const size_t stride = (static_cast<size_t>(pageWidth) * 3 + 3) & ~size_t{3};
        std::string want;
        for (int32_t y = top; y < top + height; ++y)
            want.append(sent, y * stride + left * 3, static_cast<size_t>(width) * 3);
        EXPECT_TRUE(got == want) << "the area " << left << "," << top << " " << width << "x"
                                 << height << " differs from the prescan page";
        TW_PENDINGXFERS pending;
        ASSERT_EQ(EndXfer(pending), TWRC_SUCCESS);
        EXPECT_EQ(State(), 500u);
    }
};

TEST_F(DsPrescan, SelectedAreasReachTheApplicationPixelExactAtEveryZoom) {
    Reach(500);
    EXPECT_FALSE(CDialogDriver::On(Dialog(), IDC_HAND_BTN)) << "no pointer tools before a prescan";
    Click(IDC_PRESCAN);
    CPreview &preview = Main().Preview();
    ASSERT_TRUE(preview.HasImage());
    EXPECT_TRUE(CDialogDriver::On(Dialog(), IDC_HAND_BTN));
    const int session = Session();
    EXPECT_FALSE(CSimulatorClient::JobOpen(session)) << "the prescan ends the server's job";
    EXPECT_EQ(BeginJobValue("X_PAPER_PLACE"), "0");
    const std::string sent = CSimulatorClient::Page(session, 1);
    const int32_t width = preview.ImageWidth(), height = preview.ImageHeight();
    ASSERT_EQ(sent.size(), ((static_cast<size_t>(width) * 3 + 3) & ~size_t{3}) * height);

    // At the zoom that fits the page.
    const int32_t z = preview.Zoom();
    Drag(POINT{20, 30}, POINT{71, 93});
    ScanMatches(sent, width, Under(20, 0, z), Under(30, 0, z), Under(71, 0, z) - Under(20, 0, z),
                Under(93, 0, z) - Under(30, 0, z));

    // Zoomed in to two screen pixels per image pixel, then panned.
    Click(IDC_ZOOM_BTN);
    while (preview.Zoom() < CPreviewRules::kMaxZoom)
        Mouse(WM_LBUTTONDOWN, POINT{120, 150}, MK_LBUTTON);
    const POINT zoomed = preview.Origin();
    Mouse(WM_LBUTTONDOWN, POINT{120, 150}, MK_LBUTTON);
    EXPECT_EQ(preview.Zoom(), CPreviewRules::kMaxZoom) << "no zoom past the limit";
    Click(IDC_HAND_BTN);
    Drag(POINT{200, 200}, POINT{160, 180});
    EXPECT_EQ(preview.Origin().x, zoomed.x + 20) << "the image follows the hand";
    EXPECT_EQ(preview.Origin().y, zoomed.y + 10);
    Click(IDC_SELECT_BTN);
    const POINT o = preview.Origin();
    // Odd screen points: at this zoom the edges snap to whole image pixels.
    Drag(POINT{33, 47}, POINT{11, 9});
    const RECT band = preview.SelectionRect();
    EXPECT_EQ(band.left % 2 + band.top % 2 + band.right % 2 + band.bottom % 2, 0);
    ScanMatches(sent, width, Under(10, o.x, 4), Under(8, o.y, 4), 11, 19);

    // Dragged past the image's corner: the area reaches the image's last
    // pixels, though at this zoom one screen pixel stands for eight.
    Click(IDC_ZOOM_BTN);
    for (int i = 0; i < 4; ++i)
        Mouse(WM_LBUTTONDOWN, POINT{5, 5}, MK_LBUTTON | MK_CONTROL);
    ASSERT_EQ(preview.Zoom(), CPreviewRules::kMinZoom);
    Click(IDC_SELECT_BTN);
    const int32_t right = width >> 3, bottom = height >> 3;
    Drag(POINT{right - 4, bottom - 6}, POINT{right + 40, bottom + 40});
    ScanMatches(sent, width, Under(right - 4, 0, 0), Under(bottom - 6, 0, 0),
                width - Under(right - 4, 0, 0), height - Under(bottom - 6, 0, 0));

    std::vector<std::string> jobs;
    for (const auto &r : CSimulatorClient::Requests())
        if (r.command == "BEGIN_JOB")
            jobs.push_back(r.body);
    EXPECT_EQ(jobs.size(), 1u) << "scans from the held image need no server";
    EXPECT_TRUE(m_boxes.empty());
}

// Presses Cancel in the prescan's own window once it shows.
void CALLBACK CancelPrescanWindow(HWND, UINT, UINT_PTR id, DWORD) {
    if (HWND window = FindWindowW(nullptr, L"処理中")) {
        KillTimer(nullptr, id);
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
}

TEST_F(DsPrescan, AFailedOrCancelledPrescanLeavesNoPreviewAndTheNextOneWorks) {
    struct Case {
        const char *name;
        std::vector<std::string> scenario;
        bool cancel;
        size_t boxes;
    };
    const Case cases[] = {
        {"server error", {"--result", "BEGIN_JOB=16403"}, false, 1},
        {"connection dropped in the image", {"--drop-at", "GET_IMAGE:byte=200000"}, false, 1},
        {"cancelled while the image arrives", {"--image-rate", "2000000"}, true, 0},
    };
    Reach(500);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(CSimulatorClient::SetScenario(c.scenario));
        m_boxes.clear();
        if (c.cancel)
            SetTimer(nullptr, 0, 200, CancelPrescanWindow);
        Click(IDC_PRESCAN);
        EXPECT_FALSE(Main().Preview().HasImage());
        EXPECT_FALSE(Main().HasHeldImage());
        EXPECT_EQ(m_boxes.size(), c.boxes);
        EXPECT_TRUE(IsWindowEnabled(Dialog())) << "the dialog takes input again";
        EXPECT_FALSE(CDialogDriver::On(Dialog(), IDC_HAND_BTN));
        EXPECT_EQ(FindWindowW(nullptr, L"処理中"), nullptr);
        const int session = CSimulatorClient::Requests().empty() ? 0 : Session();
        EXPECT_FALSE(session != 0 && CSimulatorClient::JobOpen(session)) << "the job was ended";
    }
    ASSERT_TRUE(CSimulatorClient::SetScenario({}));
    Click(IDC_PRESCAN);
    EXPECT_TRUE(Main().Preview().HasImage());
    EXPECT_TRUE(CDialogDriver::On(Dialog(), IDC_HAND_BTN));
}

std::string Base64(const std::string &in) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < in.size(); i += 3) {
        const size_t n = std::min<size_t>(3, in.size() - i);
        uint32_t v = 0;
        for (size_t k = 0; k < 3; ++k)
            v = v << 8 | (k < n ? static_cast<uint8_t>(in[i + k]) : 0u);
        for (size_t k = 0; k < 4; ++k)
            out += k <= n ? digits[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

// The value of a header in a raw request head ("" when it is missing).
std::string Header(const std::string &head, const char *name) {
    for (size_t at = head.find("\r\n"); at != std::string::npos; at = head.find("\r\n", at + 2)) {
        const size_t colon = head.find(':', at + 2);
        const size_t end = head.find("\r\n", at + 2);
        if (colon == std::string::npos || colon > end)
            continue;
        if (_stricmp(head.substr(at + 2, colon - at - 2).c_str(), name) != 0)
            continue;
        const size_t value = head.find_first_not_of(' ', colon + 1);
        return head.substr(value, end - value);
    }
    return std::string();
}

bool Holds(const std::filesystem::path &file, const std::vector<std::string> &needles) {
    size_t longest = 0;
    for (const std::string &n : needles)
        longest = std::max(longest, n.size());
    std::ifstream in(file, std::ios::binary);
    std::string window;
    std::vector<char> buffer(1 << 20);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        window.append(buffer.data(), static_cast<size_t>(in.gcount()));
        for (const std::string &n : needles)
            if (window.find(n) != std::string::npos)
                return true;
        if (window.size() > longest)
            window.erase(0, window.size() - longest);
    }
    return false;
}

// Every file (a root itself, or below a root folder) whose bytes hold one
// of the needles.
std::vector<std::wstring> FilesHolding(const std::vector<std::wstring> &roots,
                                       const std::vector<std::string> &needles) {
    namespace fs = std::filesystem;
    std::vector<std::wstring> out;
    for (const std::wstring &root : roots) {
        std::error_code ec;
        if (fs::is_regular_file(root, ec)) {
            if (Holds(root, needles))
                out.push_back(root);
            continue;
        }
        for (fs::recursive_directory_iterator
                 it(root, fs::directory_options::skip_permission_denied, ec),
             end;
             !ec && it != end; it.increment(ec))
            if (it->is_regular_file(ec) && Holds(it->path(), needles))
                out.push_back(it->path().wstring());
    }
    return out;
}

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? path : L"";
}

// The server dialog's proxy settings carry the scan and its heartbeat
// through the proxy to the server entered there, with the proxy's
// credentials only when authentication is chosen, and the password is
// written nowhere in clear: not in the settings, not in the log.
TEST_F(DsScan, ServerDialogSendsTheJobThroughTheProxyWithItsCredentials) {
    using Step = CModalSteps::Step;
    const uint16_t proxyPort = CSimulatorClient::ProxyPort();
    ASSERT_NE(proxyPort, 0) << "simulator without its proxy";
    const std::string user = "scanop";
    const std::string password = "Zq7#proxy-Kite!42";
    const std::string credentials = Base64(user + ":" + password);
    ASSERT_EQ(Base64("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");

    // The log switched on as a person does it, and off again whatever happens.
    const std::string logSwitch = CLogFile::SwitchPath("corvsrc.log");
    { std::ofstream(logSwitch, std::ios::binary | std::ios::trunc); }
    struct LogOff {
        std::string path;
        ~LogOff() {
            CDiagLog::Instance().Close();
            DeleteFileA(path.c_str());
        }
    } logOff{logSwitch};
    ASSERT_TRUE(CDiagLog::Instance().OpenIfSwitchedOn("corvsrc.log"));

    const std::string server = "localhost:" + std::to_string(CSimulatorClient::Port());
    const std::string commandUri = "http://" + server + "/cgi-bin/scanner.dll";
    const std::wstring wide[] = {std::wstring(password.begin(), password.end()),
                                 std::wstring(user.begin(), user.end()),
                                 std::to_wstring(proxyPort)};
    const struct {
        bool auth;
        const char *proxyWants;  // the proxy's credentials ("": none)
    } cases[] = {{true, "scanop:Zq7#proxy-Kite!42"}, {false, ""}, {true, "scanop:other"}};
    for (const auto &c : cases) {
        const bool auth = c.auth;
        SCOPED_TRACE(c.proxyWants);
        ASSERT_TRUE(CSimulatorClient::SetProxyAuth(c.proxyWants));
        ASSERT_TRUE(CSimulatorClient::SetScenario({}));
        // Configured for a server that is gone; the port is the workstation's.
        Configure("gone.invalid", CSimulatorClient::Port());
        Reach(500);
        auto set = [](int id, std::wstring text) {
            return Step([=](HWND box) { SetDlgItemTextW(box, id, text.c_str()); });
        };
        auto check = [](int id, bool on) {
            return Step([=](HWND box) {
                if (CDialogDriver::Checked(box, id) != on)
                    CDialogDriver::Press(box, id);
            });
        };
        // The login and password are filled in either way: unchecked, they must stay unused.
        const std::vector<Step> steps = {set(IDC_SERVER_ADDRESS, L"localhost"),
                                         check(IDC_PROXY_USE, true),
                                         set(IDC_PROXY_NAME, L"127.0.0.1"),
                                         set(IDC_PROXY_PORT, wide[2]),
                                         check(IDC_PROXY_AUTH, auth),
                                         set(IDC_PROXY_USER, wide[1]),
                                         set(IDC_PROXY_PASSWORD, wide[0]),
                                         [](HWND box) { CDialogDriver::Press(box, IDOK); }};
        ASSERT_EQ(CModalSteps::Run(L"ホスト選択", steps, [&] { Click(IDC_SERVER); }), steps.size());
        EXPECT_EQ(CDialogDriver::Text(Dialog(), IDC_SERVER), L"接続先：localhost");

        m_boxes.clear();
        Click(IDOK);
        if (auth && c.proxyWants != user + ":" + password) {
            // Refused credentials: the proxy is asked a few times, not for
            // ever, and nothing reaches the server.
            EXPECT_EQ(State(), 500u);
            const auto atProxy = CSimulatorClient::ProxyRequests();
            EXPECT_GE(atProxy.size(), 2u);
            EXPECT_LE(atProxy.size(), 4u);
            for (const auto &r : atProxy)
                EXPECT_EQ(r.status, 407);
            EXPECT_TRUE(CSimulatorClient::Requests().empty());
            CloseSource();
            continue;
        }
        ASSERT_EQ(State(), 600u) << (m_boxes.empty() ? L"" : m_boxes.back());
        // The first heartbeat leaves on a thread of its own.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        auto heartbeats = [] {
            int n = 0;
            for (const auto &r : CSimulatorClient::Requests())
                n += r.command == "HEART_BEAT_JOB";
            return n;
        };
        while (heartbeats() == 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        // The page arrives whole through the proxy, and the job ends with it.
        std::string page;
        ASSERT_EQ(MemoryPage(page), TWRC_XFERDONE);
        EXPECT_TRUE(page == CSimulatorClient::Page(Session(), 1)) << "page bytes differ";
        TW_PENDINGXFERS pending;
        ASSERT_EQ(EndXfer(pending), TWRC_SUCCESS);
        ASSERT_EQ(State(), 500u);

        const auto atServer = CSimulatorClient::Requests();
        std::vector<std::string> commands;
        for (const auto &r : atServer) {
            commands.push_back(r.command.empty() ? r.path : r.command);
            EXPECT_EQ(Header(r.headRaw, "Via"), "1.1 corv-scan-proxy") << r.requestLine;
            EXPECT_EQ(Header(r.headRaw, "Host"), server) << r.requestLine;
            EXPECT_EQ(Header(r.headRaw, "Authorization"), "") << "server credentials";
        }
        for (const char *command : {"BEGIN_JOB", "GET_IMAGE", "HEART_BEAT_JOB", "END_JOB"})
            EXPECT_NE(std::find(commands.begin(), commands.end(), command), commands.end())
                << command;
        EXPECT_EQ(std::count(commands.begin(), commands.end(), "/CV_WebPath.txt"), 2)
            << "the job's session and the heartbeat's each discover the path";

        // At the proxy: absolute URIs of the new server; every request it
        // served carried the credentials when they are required, none otherwise.
        size_t served = 0;
        for (const auto &r : CSimulatorClient::ProxyRequests()) {
            SCOPED_TRACE(r.requestLine);
            const bool pathFile =
                r.requestLine == "GET http://" + server + "/CV_WebPath.txt HTTP/1.1";
            const bool command = r.requestLine == "POST " + commandUri + " HTTP/1.1" ||
                                 r.requestLine == "POST " + commandUri + " HTTP/1.0";
            EXPECT_TRUE(pathFile || command);
            EXPECT_EQ(Header(r.headRaw, "Authorization"), "");
            const std::string given = Header(r.headRaw, "Proxy-Authorization");
            if (r.status == 200) {
                ++served;
                EXPECT_EQ(given, auth ? "Basic " + credentials : "");
            } else {
                EXPECT_TRUE(auth && r.status == 407 && given.empty()) << r.status;
            }
            EXPECT_EQ(r.headRaw.find(password), std::string::npos);
        }
        EXPECT_EQ(served, atServer.size()) << "every request the server saw came through the proxy";
        CloseSource();
    }

    CDiagLog::Instance().Close();
    std::error_code ec;
    EXPECT_GT(std::filesystem::file_size(logSwitch, ec), 0u) << "the log was written";
    const std::wstring settings =
        CSettingsLocator::UserFolder(CModuleStrings(GetModuleHandleW(nullptr)));
    const std::wstring logPath(logSwitch.begin(), logSwitch.end());
    const std::vector<std::wstring> folders = {
        KnownFolder(CSIDL_PROFILE), KnownFolder(CSIDL_COMMON_APPDATA), settings, logPath};
    // The search itself: the login name is kept in clear, so it is found.
    const auto withUser = FilesHolding(folders, {user});
    EXPECT_NE(std::find(withUser.begin(), withUser.end(),
                        std::filesystem::path(settings + L"\\PrivteSettings.Ini").wstring()),
              withUser.end());
    std::string utf16;
    for (char c : password)
        utf16 += std::string{c, '\0'};
    for (const std::wstring &file : FilesHolding(folders, {password, utf16, credentials}))
        ADD_FAILURE() << "the password in clear in " << std::string(file.begin(), file.end());
}

}  // namespace
