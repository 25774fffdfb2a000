// The main dialog and its pages driven by control id as a user drives
// them: the enabling rules in every combination, the preview prompt, the
// range checks in each unit, the scan utility's unit answer and progress
// enabling, resizing, and the keyboard.
#include "DsTestSupport.h"
#include "DialogDriver.h"

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "ScanUiMessages.h"
#include "res/main_dialog_ids.h"
#include "res/page_ids.h"
#include "res/server_dialog_ids.h"
#include "MessageBox.h"
#include "ModuleStrings_win.h"
#include "FavoriteInfo.h"
#include "ProfileFile_win.h"
#include "SettingsLocator_win.h"
#include "SettingsPaths.h"

namespace {

class MainDialog : public DsTest {
protected:
    void SetUp() override {
        DsTest::SetUp();
        SetUsePhoto(false);
        SetDsMessageBoxAnswerer([this](const std::wstring &text, UINT) {
            m_boxes.push_back(text);
            return m_answer;
        });
    }
    static void SetUsePhoto(bool on) {
        const std::wstring folder =
            CSettingsLocator::UserFolder(CModuleStrings(GetModuleHandleW(nullptr)));
        WritePrivateProfileStringW(L"ScanOption", L"UsePhoto", on ? L"1" : L"0",
                                   (folder + L"\\CV_NetScanUI.ini").c_str());
    }
    HWND Page(int anchor) const { return CDialogDriver::Page(Dialog(), anchor, IDC_TABS); }
    HWND Basic() const { return Page(IDC_COLOR_MODE); }
    HWND Quality() const { return Page(IDC_DENSITY); }
    HWND Input() const { return Page(IDC_MAG_100); }
    static void Select(HWND page, int id, int index) { CDialogDriver::Select(page, id, index); }
    static int Selected(HWND page, int id) { return CDialogDriver::Selected(page, id); }
    static void Press(HWND page, int id) { CDialogDriver::Press(page, id); }
    static bool Checked(HWND page, int id) { return CDialogDriver::Checked(page, id); }
    static void Type(HWND page, int id, const wchar_t *text) {
        CDialogDriver::Type(page, id, text);
    }
    static std::wstring Text(HWND page, int id) { return CDialogDriver::Text(page, id); }
    static bool On(HWND page, int id) { return CDialogDriver::On(page, id); }
    static bool Shown(HWND page, int id) { return CDialogDriver::Shown(page, id); }
    void SetUnit(int unit) { Select(Dialog(), IDC_UNIT, unit); }
    CMainDlg &Main() { return TheApp().Source()->MainDlg(); }

    int m_answer = IDOK;
};

TEST_F(MainDialog, EnablingRulesHoldInEveryCombination) {
    for (bool photoOption : {false, true}) {
        CloseSource();
        SetUsePhoto(photoOption);
        Reach(500);
        HWND basic = Basic(), quality = Quality(), input = Input();
        ASSERT_TRUE(basic && quality && input);
        for (int place : {0, 1})
            for (bool mixed : {false, true})
                for (int size : {0, 5, 27})
                    for (int colour : {0, 1, 2})
                        for (int mag : {0, 1, 2, 3}) {
                            Press(Dialog(), IDC_PAPER_FEEDER);
                            if (Checked(basic, IDC_MIXED_SIZE) != mixed)
                                Press(basic, IDC_MIXED_SIZE);
                            Press(Dialog(), place == 0 ? IDC_PAPER_PLATEN : IDC_PAPER_FEEDER);
                            if (On(basic, IDC_DOC_SIZE))
                                Select(basic, IDC_DOC_SIZE, size);
                            Select(basic, IDC_COLOR_MODE, colour);
                            Press(input, IDC_MAG_100 + mag);
                            const int s = Selected(basic, IDC_DOC_SIZE);
                            SCOPED_TRACE(testing::Message()
                                         << "photo " << photoOption << " place " << place
                                         << " mixed " << mixed << " size " << s << " colour "
                                         << colour << " mag " << mag);
                            const bool sizeChoice = place == 0 || !mixed;
                            EXPECT_EQ(On(basic, IDC_DOC_SIZE), sizeChoice);
                            EXPECT_EQ(On(basic, IDC_SIZE_GROUP), sizeChoice);
                            for (int id : {IDC_CUSTOM_HEIGHT_LABEL, IDC_CUSTOM_HEIGHT,
                                           IDC_CUSTOM_HEIGHT_RANGE, IDC_CUSTOM_WIDTH_LABEL,
                                           IDC_CUSTOM_WIDTH, IDC_CUSTOM_WIDTH_RANGE})
                                EXPECT_EQ(On(basic, id), sizeChoice && s == 27) << id;
                            for (int id : {IDC_AREA_GROUP, IDC_AREA_TOP, IDC_AREA_LEFT,
                                           IDC_AREA_WIDTH, IDC_AREA_HEIGHT})
                                EXPECT_EQ(Shown(basic, id), place == 0) << id;
                            for (int id : {IDC_FACE_GROUP, IDC_FACE_SIMPLEX, IDC_FACE_DUPLEX_TB,
                                           IDC_MIXED_SIZE})
                                EXPECT_EQ(Shown(basic, id), place == 1) << id;
                            // Mixed sizes leave the size to the feeder.
                            if (mixed && place == 1) {
                                EXPECT_EQ(s, 0);
                            }
                            EXPECT_EQ(On(quality, IDC_CONTRAST), colour != 2);
                            EXPECT_EQ(On(quality, IDC_SHOW_THROUGH), colour != 2);
                            EXPECT_EQ(On(quality, IDC_SATURATION), colour == 0);
                            EXPECT_EQ(On(quality, IDC_DOC_TYPE), colour == 2);
                            EXPECT_TRUE(On(quality, IDC_DENSITY) && On(quality, IDC_SHARPNESS) &&
                                        On(quality, IDC_BACKGROUND));
                            EXPECT_EQ(Shown(quality, IDC_PHOTO_PAPER), photoOption);
                            EXPECT_EQ(On(quality, IDC_PHOTO_PAPER), photoOption && place == 0);
                            if (place == 1 || !photoOption) {
                                EXPECT_FALSE(Checked(quality, IDC_PHOTO_PAPER));
                            }
                            EXPECT_EQ(On(input, IDC_MAG_FIXED_LIST), mag == 1);
                            EXPECT_EQ(On(input, IDC_ZOOM_EDIT), mag == 2);
                            EXPECT_EQ(On(input, IDC_ZOOM_SPIN), mag == 2);
                            EXPECT_EQ(On(input, IDC_MAG_AUTO_LIST), mag == 3);
                            EXPECT_EQ(On(Dialog(), IDC_PRESCAN), place == 0);
                            if (HasFailure())
                                return;
                        }
    }
}

TEST_F(MainDialog, ChangesThatDropThePreviewAskFirst) {
    Reach(500);
    HWND basic = Basic();
    const std::wstring question =
        L"この変更を実行するとプレビュー画像が削除されます。\nもう一度プレスキャンを行う必要があり"
        L"ますがよろしいですか？";
    struct Row {
        const char *what;
        std::function<void()> change;
        std::function<bool()> changed;
    };
    const Row rows[] = {
        {"resolution", [&] { Select(basic, IDC_RESOLUTION, 2); },
         [&] { return Selected(basic, IDC_RESOLUTION) == 2; }},
        {"feeder", [&] { Press(Dialog(), IDC_PAPER_FEEDER); },
         [&] { return Checked(Dialog(), IDC_PAPER_FEEDER); }},
        {"document type", [&] { Select(Quality(), IDC_DOC_TYPE, 1); },
         [&] { return Selected(Quality(), IDC_DOC_TYPE) == 1; }},
        {"background", [&] { Press(Quality(), IDC_BACKGROUND); },
         [&] { return Checked(Quality(), IDC_BACKGROUND); }},
        {"zoom radio", [&] { Press(Input(), IDC_MAG_ZOOM); },
         [&] { return Checked(Input(), IDC_MAG_ZOOM); }},
        {"edge erase", [&] { Type(Input(), IDC_EDGE_ERASE, L"7.0"); },
         [&] { return Text(Input(), IDC_EDGE_ERASE) == L"7.0"; }},
    };
    for (const Row &row : rows)
        for (int answer : {IDNO, IDYES}) {
            SCOPED_TRACE(testing::Message() << row.what << (answer == IDYES ? " yes" : " no"));
            Main().ShowPreview(1000, 1400, 200);
            m_boxes.clear();
            m_answer = answer;
            row.change();
            ASSERT_EQ(m_boxes.size(), 1u);
            EXPECT_EQ(m_boxes[0], question);
            EXPECT_EQ(row.changed(), answer == IDYES);
            EXPECT_EQ(On(Dialog(), IDC_ZOOM_BTN), answer == IDNO);
            EXPECT_EQ(On(basic, IDC_AREA_TOP), answer == IDNO);
            if (answer == IDYES) {
                // Without a preview the next change goes through unasked.
                m_boxes.clear();
                Select(basic, IDC_RESOLUTION, 0);
                EXPECT_TRUE(m_boxes.empty());
                Press(Dialog(), IDC_PAPER_PLATEN);
            }
        }
    // Reset to standard asks at its first change and stops there on No.
    Select(basic, IDC_COLOR_MODE, 2);
    Select(basic, IDC_RESOLUTION, 3);
    Main().ShowPreview(1000, 1400, 200);
    m_boxes.clear();
    m_answer = IDNO;
    Press(Dialog(), IDC_RESET_STANDARD);
    EXPECT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(Selected(basic, IDC_COLOR_MODE), 2);
    EXPECT_EQ(Selected(basic, IDC_RESOLUTION), 3);
    m_answer = IDYES;
    Press(Dialog(), IDC_RESET_STANDARD);
    EXPECT_EQ(Selected(basic, IDC_COLOR_MODE), 0);
    EXPECT_EQ(Selected(basic, IDC_RESOLUTION), 0);
}

TEST_F(MainDialog, AreaEditsTypeInTheDisplayUnitAndStayOnThePreview) {
    Reach(500);
    HWND basic = Basic();
    const CScanSettings &record = Main().Store().Settings;
    ASSERT_EQ(record.AreaResolution, 400);
    Main().ShowPreview(2000, 2800, 400);
    EXPECT_EQ(Text(basic, IDC_AREA_TOP), L"0.0");
    auto type = [&](int id, const wchar_t *keys) {
        HWND edit = GetDlgItem(basic, id);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (const wchar_t *k = keys; *k; ++k)
            SendMessageW(edit, WM_CHAR, *k, 0);
    };
    m_boxes.clear();
    type(IDC_AREA_HEIGHT, L"100.15");
    EXPECT_EQ(Text(basic, IDC_AREA_HEIGHT), L"100.1");
    EXPECT_EQ(record.AreaHeight, 1576);
    // 99 mm would reach past the image's 2800 pixels: the top stops at
    // 1224 pixels, and leaving the edit puts its text to that bound.
    type(IDC_AREA_TOP, L"99");
    EXPECT_EQ(record.AreaTop, 1224);
    SetFocus(GetDlgItem(Dialog(), IDC_PRESCAN));
    EXPECT_EQ(Text(basic, IDC_AREA_TOP), L"77.7");
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0], L"0.0 から 77.7 の数値を設定してください。");
    EXPECT_EQ(record.AreaTop, 1224);

    SetUnit(1);
    EXPECT_EQ(Text(basic, IDC_AREA_TOP), L"3.060");
    EXPECT_EQ(Text(basic, IDC_AREA_HEIGHT), L"3.940");
    SetUnit(0);
}

TEST_F(MainDialog, CloseKeepsTheChoicesButLengthsStartAtTheirDefaults) {
    Reach(500);
    Select(Basic(), IDC_COLOR_MODE, 2);
    Select(Quality(), IDC_DENSITY, 6);
    Press(Input(), IDC_MAG_ZOOM);
    Type(Input(), IDC_ZOOM_EDIT, L"500");
    EXPECT_EQ(Text(Input(), IDC_ZOOM_EDIT), L"400");
    Type(Input(), IDC_ZOOM_EDIT, L"10");
    EXPECT_EQ(Text(Input(), IDC_ZOOM_EDIT), L"25");
    Type(Input(), IDC_EDGE_ERASE, L"9");
    Click(IDCANCEL);
    CloseSource();
    Reach(500);
    EXPECT_EQ(Selected(Basic(), IDC_COLOR_MODE), 2);
    EXPECT_EQ(Selected(Quality(), IDC_DENSITY), 6);
    EXPECT_TRUE(Checked(Input(), IDC_MAG_ZOOM));
    EXPECT_EQ(Text(Input(), IDC_ZOOM_EDIT), L"25");
    EXPECT_EQ(Text(Input(), IDC_EDGE_ERASE), L"2.0");
    Press(Dialog(), IDC_RESET_STANDARD);
    EXPECT_EQ(Selected(Basic(), IDC_COLOR_MODE), 0);
    EXPECT_EQ(Selected(Quality(), IDC_DENSITY), 3);
    EXPECT_TRUE(Checked(Input(), IDC_MAG_100));
    Click(IDCANCEL);
}

TEST_F(MainDialog, LengthsAreCheckedInTheDisplayUnitBeforeAScan) {
    struct Row {
        int unit;
        int edit;
        const wchar_t *text;
        const wchar_t *message;  // null: accepted
    };
    const Row rows[] = {
        {0, IDC_CUSTOM_HEIGHT, L"14.9", L"15 から 297 の数値を設定してください。"},
        {0, IDC_CUSTOM_WIDTH, L"432.1", L"15 から 432 の数値を設定してください。"},
        {0, IDC_CUSTOM_HEIGHT, L"297", nullptr},
        {1, IDC_CUSTOM_HEIGHT, L"0.5", L"0.591 から 11.693 の数値を設定してください。"},
        {1, IDC_CUSTOM_WIDTH, L"17.008", nullptr},
        {2, IDC_CUSTOM_HEIGHT, L"842", L"42.5 から 841.9 の数値を設定してください。"},
        {3, IDC_CUSTOM_WIDTH, L"1729", L"60 から 1728 の数値を設定してください。"},
        {3, IDC_CUSTOM_HEIGHT, L"abc", L"60 から 1188 の数値を設定してください。"},
        {0, IDC_EDGE_ERASE, L"50.1", L"0 から 50 の数値を設定してください。"},
        {1, IDC_EDGE_ERASE, L"1.969", nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.unit << " " << row.edit);
        CloseSource();
        m_job = CFakeScanJob::Script{};
        Reach(500);
        SetUnit(row.unit);
        Select(Basic(), IDC_DOC_SIZE, 27);
        HWND page = row.edit == IDC_EDGE_ERASE ? Input() : Basic();
        Type(page, row.edit, row.text);
        m_boxes.clear();
        Click(IDOK);
        if (row.message) {
            ASSERT_EQ(m_boxes.size(), 1u);
            EXPECT_EQ(m_boxes[0], row.message);
            EXPECT_EQ(m_job.created, 0);
            EXPECT_EQ(GetFocus(), GetDlgItem(page, row.edit));
            EXPECT_TRUE(IsWindowEnabled(Dialog()));
        } else {
            EXPECT_TRUE(m_boxes.empty());
            EXPECT_EQ(m_job.created, 1);
        }
    }
    // A size other than the custom one is not checked.
    CloseSource();
    m_job = CFakeScanJob::Script{};
    Reach(500);
    Type(Basic(), IDC_CUSTOM_HEIGHT, L"1");
    Click(IDOK);
    EXPECT_EQ(m_job.created, 1);
}

// A window answering the unit request as the scan utility does.
int32_t g_utilityUnit = 0;
bool g_answers = true;
LRESULT CALLBACK UtilityProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == CScanUiMessages::ParamRequest() && g_answers && wp) {
        auto *details =
            static_cast<SCANARGUMENTDETAILS *>(GlobalLock(reinterpret_cast<HGLOBAL>(wp)));
        if (!details)
            return 0;
        HWND dialog = CScanUiMessages::WindowFromBlock(details->dialogWindow);
        details->unit = g_utilityUnit;
        GlobalUnlock(reinterpret_cast<HGLOBAL>(wp));
        if (dialog)
            SendMessageW(dialog, CScanUiMessages::ParamResponse(), wp, 0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST_F(MainDialog, UnitComesFromTheScanUtilityAndProgressFollowsItsBoxes) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = UtilityProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CorvTestUtility";
    RegisterClassW(&wc);
    CAutoWindow utility(CreateWindowW(L"CorvTestUtility", L"scan utility", WS_OVERLAPPEDWINDOW, 0,
                                      0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(utility);
    struct Row {
        int32_t answer;
        bool answers;
        const wchar_t *range;
        const wchar_t *height;  // the custom height's 100 mm default in that unit
    };
    const Row rows[] = {
        {1, true, L"(15.0～297.0mm)", L"100.0"},  {2, true, L"(0.591～11.693inch)", L"3.937"},
        {3, true, L"(42.5～841.9pt)", L"283.5"},  {4, true, L"(60.0～1188.0級)", L"400.0"},
        {0, true, L"(15.0～297.0mm)", L"100.0"},  {7, true, L"(15.0～297.0mm)", L"100.0"},
        {-1, true, L"(15.0～297.0mm)", L"100.0"}, {4, false, L"(15.0～297.0mm)", L"100.0"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.answer);
        g_utilityUnit = row.answer;
        g_answers = row.answers;
        CloseSource();
        ASSERT_EQ(Open(), TWRC_SUCCESS);
        ASSERT_EQ(Enable(TRUE, MSG_ENABLEDS, utility.Get()), TWRC_SUCCESS);
        EXPECT_EQ(Text(Basic(), IDC_CUSTOM_HEIGHT_RANGE), row.range);
        // The custom size starts at its 100 mm default in the new unit.
        EXPECT_EQ(Text(Basic(), IDC_CUSTOM_HEIGHT), row.height);
    }

    // The companion application brings its own destination: the file name
    // is offered instead of the server, and nothing can scan without one.
    SetWindowTextW(utility.Get(), L"CV_ScanToBox");
    CloseSource();
    ASSERT_EQ(Open(), TWRC_SUCCESS);
    ASSERT_EQ(Enable(TRUE, MSG_ENABLEDS, utility.Get()), TWRC_SUCCESS);
    EXPECT_TRUE(Shown(Dialog(), IDC_FILENAME_EDIT) && On(Dialog(), IDC_FILENAME_EDIT));
    EXPECT_TRUE(Shown(Dialog(), IDC_SAVE_DEST));
    EXPECT_FALSE(Shown(Dialog(), IDC_SERVER) || On(Dialog(), IDC_SERVER));
    EXPECT_FALSE(On(Dialog(), IDOK) || On(Dialog(), IDC_PRESCAN));

    // Progress enabling: nothing without a job; with one, its window
    // follows the utility's boxes.
    auto post = [&](WPARAM enable) {
        PostMessageW(Dialog(), CScanUiMessages::EnableProgress(), enable, 0);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    };
    CloseSource();
    CAutoWindow progress(CreateWindowW(L"STATIC", L"progress", WS_POPUP, 0, 0, 10, 10, nullptr,
                                       nullptr, nullptr, nullptr));
    m_job.progressWindow = progress.Get();
    Reach(500);
    post(0);
    EXPECT_TRUE(IsWindowEnabled(progress.Get()));
    Click(IDOK);
    ASSERT_EQ(State(), 600u);
    post(0);
    EXPECT_FALSE(IsWindowEnabled(progress.Get()));
    post(1);
    EXPECT_TRUE(IsWindowEnabled(progress.Get()));
}

TEST_F(MainDialog, WindowGrowsButNeverBelowItsFirstSize) {
    Reach(500);
    RECT first{};
    GetWindowRect(Dialog(), &first);
    MINMAXINFO info{};
    SendMessageW(Dialog(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, first.right - first.left);
    EXPECT_EQ(info.ptMinTrackSize.y, first.bottom - first.top);

    auto at = [&](HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        MapWindowPoints(nullptr, Dialog(), reinterpret_cast<POINT *>(&r), 2);
        return r;
    };
    RECT client{};
    GetClientRect(Dialog(), &client);
    const RECT scan = at(GetDlgItem(Dialog(), IDOK)), server = at(GetDlgItem(Dialog(), IDC_SERVER));
    const RECT preview = at(GetDlgItem(Dialog(), IDC_PREVIEW)), page = at(Basic());
    const RECT rulerV = at(GetDlgItem(Dialog(), IDC_RULER_V));
    SetWindowPos(Dialog(), nullptr, 0, 0, first.right - first.left + 120,
                 first.bottom - first.top + 60, SWP_NOMOVE | SWP_NOZORDER);
    const RECT scan2 = at(GetDlgItem(Dialog(), IDOK)),
               server2 = at(GetDlgItem(Dialog(), IDC_SERVER));
    const RECT preview2 = at(GetDlgItem(Dialog(), IDC_PREVIEW)), page2 = at(Basic());
    const RECT rulerV2 = at(GetDlgItem(Dialog(), IDC_RULER_V));
    RECT client2{};
    GetClientRect(Dialog(), &client2);
    // The controls follow the client area, whatever the frame does.
    const int dw = client2.right - client.right, dh = client2.bottom - client.bottom;
    EXPECT_GT(dw, 100);
    EXPECT_GT(dh, 40);
    EXPECT_EQ(scan2.left - scan.left, dw);
    EXPECT_EQ(scan2.top, scan.top);
    EXPECT_EQ(server2.top - server.top, dh);
    EXPECT_EQ(server2.left, server.left);
    EXPECT_EQ(preview2.right - preview.right, dw);
    EXPECT_EQ(preview2.bottom - preview.bottom, dh);
    EXPECT_EQ(page2.left - page.left, dw);
    EXPECT_EQ(page2.top, page.top);
    EXPECT_EQ(rulerV2.bottom - rulerV.bottom, dh);
    SendMessageW(Dialog(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, first.right - first.left);
}

TEST_F(MainDialog, KeyboardReachesEveryEnabledControlAndKnowsEnterAndEscape) {
    Reach(500);
    auto key = [&](UINT message, WPARAM vk) {
        MSG msg{GetFocus(), message, vk, 0, 0, {}};
        if (!Main().IsDialogMsg(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    };
    ASSERT_EQ(GetFocus(), GetDlgItem(Dialog(), IDC_PRESCAN));
    std::vector<HWND> order;
    for (int i = 0; i < 60; ++i) {
        key(WM_KEYDOWN, VK_TAB);
        HWND focus = GetFocus();
        if (focus == GetDlgItem(Dialog(), IDC_PRESCAN))
            break;
        order.push_back(focus);
    }
    auto position = [&](HWND h) {
        return std::find(order.begin(), order.end(), h) - order.begin();
    };
    HWND basic = Basic();
    const HWND expected[] = {
        GetDlgItem(Dialog(), IDC_SCAN),      GetDlgItem(Dialog(), IDC_CLOSE),
        GetDlgItem(Dialog(), IDC_SERVER),    GetDlgItem(Dialog(), IDC_RESET_STANDARD),
        GetDlgItem(Dialog(), IDC_FAVORITES), GetDlgItem(Dialog(), IDC_PAPER_PLATEN),
        GetDlgItem(Dialog(), IDC_TABS),      GetDlgItem(basic, IDC_COLOR_MODE),
        GetDlgItem(basic, IDC_RESOLUTION),   GetDlgItem(basic, IDC_DOC_SIZE)};
    for (size_t i = 0; i < std::size(expected); ++i) {
        ASSERT_LT(position(expected[i]), static_cast<long>(order.size())) << "control " << i;
        if (i > 0) {
            EXPECT_LT(position(expected[i - 1]), position(expected[i])) << "control " << i;
        }
    }
    for (HWND h : order)
        EXPECT_TRUE(IsWindowVisible(h) && IsWindowEnabled(h));

    // The mnemonic of the colour mode label.
    SetFocus(GetDlgItem(Dialog(), IDC_PRESCAN));
    key(WM_SYSCHAR, 'm');
    EXPECT_EQ(GetFocus(), GetDlgItem(basic, IDC_COLOR_MODE));
    // Enter on a list presses the default button (Prescan), which checks the pages first.
    Select(basic, IDC_DOC_SIZE, 27);
    Type(basic, IDC_CUSTOM_HEIGHT, L"1");
    SetFocus(GetDlgItem(basic, IDC_COLOR_MODE));
    m_boxes.clear();
    key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(m_boxes.size(), 1u);
    // Escape is Close: the application is asked to close the source.
    key(WM_KEYDOWN, VK_ESCAPE);
    bool closeRequested = false;
    for (const RecordedDsmCall &call : Notifications())
        closeRequested = closeRequested || call.MSG == MSG_CLOSEDSREQ;
    EXPECT_TRUE(closeRequested);
}

TEST_F(MainDialog, ServerDialogRefusesMissingEntriesAndKeepsValidOnes) {
    using Step = CModalSteps::Step;
    auto set = [](int id, const wchar_t *text) {
        return Step([=](HWND box) { SetDlgItemTextW(box, id, text); });
    };
    auto check = [](int id, bool on) {
        return Step([=](HWND box) {
            if (Checked(box, id) != on)
                Press(box, id);
        });
    };
    const Step ok = [](HWND box) { Press(box, IDOK); };
    const Step cancel = [](HWND box) { Press(box, IDCANCEL); };
    struct Row {
        std::vector<Step> steps;
        const wchar_t *message;  // null: accepted
        const wchar_t *button = L"接続先：127.0.0.1";
    };
    const Row rows[] = {
        {{set(IDC_SERVER_ADDRESS, L""), ok, cancel}, L"サーバのアドレスが入力されていません。"},
        {{set(IDC_SERVER_ADDRESS, L"scan1"), check(IDC_PROXY_USE, true), set(IDC_PROXY_NAME, L""),
          ok, cancel},
         L"プロキシサーバのアドレスが入力されていません。"},
        {{check(IDC_PROXY_USE, true), set(IDC_PROXY_NAME, L"px"), set(IDC_PROXY_PORT, L""), ok,
          cancel},
         L"プロキシサーバのポート番号が入力されていません。"},
        {{check(IDC_PROXY_USE, true), set(IDC_PROXY_NAME, L"px"), set(IDC_PROXY_PORT, L"8080"),
          check(IDC_PROXY_AUTH, true), set(IDC_PROXY_USER, L""), ok, cancel},
         L"プロキシサーバでのユーザ認証のログイン名が入力されていません。"},
        {{check(IDC_PROXY_USE, true), set(IDC_PROXY_NAME, L"px"), set(IDC_PROXY_PORT, L"8080"),
          check(IDC_PROXY_AUTH, true), set(IDC_PROXY_USER, L"u"), set(IDC_PROXY_PASSWORD, L""), ok,
          cancel},
         L"プロキシサーバでのユーザ認証のパスワードが入力されていません。"},
        // Unused proxy fields may stay empty.
        {{set(IDC_SERVER_ADDRESS, L"scan"), check(IDC_PROXY_USE, false), set(IDC_PROXY_NAME, L""),
          set(IDC_PROXY_PORT, L""), ok},
         nullptr,
         L"接続先：scan"},
        // A typed space or control character is refused; the password is kept scrambled.
        {{set(IDC_SERVER_ADDRESS, L"scan"), check(IDC_PROXY_USE, true), set(IDC_PROXY_NAME, L"px"),
          set(IDC_PROXY_PORT, L"8080"), check(IDC_PROXY_AUTH, true), set(IDC_PROXY_USER, L"u"),
          set(IDC_PROXY_PASSWORD, L"secret9"),
          [](HWND box) {
              HWND edit = GetDlgItem(box, IDC_SERVER_ADDRESS);
              SetFocus(edit);
              SendMessageW(edit, EM_SETSEL, 4, 4);
              for (wchar_t c : {L'2', L' ', L'\x01'})
                  SendMessageW(edit, WM_CHAR, c, 0);
              EXPECT_EQ(Text(box, IDC_SERVER_ADDRESS), L"scan2");
          },
          ok},
         nullptr,
         L"接続先：scan2"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.message ? "refused" : "accepted");
        CloseSource();
        const std::filesystem::path ini = ConfigureServer("127.0.0.1");
        Reach(500);
        Main().ShowPreview(800, 1000, 200);
        m_boxes.clear();
        EXPECT_EQ(CModalSteps::Run(L"ホスト選択", row.steps, [&] { Click(IDC_SERVER); }),
                  row.steps.size());
        if (row.message) {
            ASSERT_EQ(m_boxes.size(), 1u);
            EXPECT_EQ(m_boxes[0], row.message);
            EXPECT_EQ(Text(Dialog(), IDC_SERVER), L"接続先：127.0.0.1");
            EXPECT_TRUE(On(Dialog(), IDC_ZOOM_BTN));  // the preview stays
        } else {
            EXPECT_TRUE(m_boxes.empty());
            EXPECT_EQ(Text(Dialog(), IDC_SERVER), row.button);
            EXPECT_FALSE(On(Dialog(), IDC_ZOOM_BTN));  // the preview went
            EXPECT_TRUE(On(Dialog(), IDOK) && On(Dialog(), IDC_PRESCAN));
            // Kept for the next session, the password never in clear.
            CloseSource();
            Reach(500);
            EXPECT_EQ(Text(Dialog(), IDC_SERVER), row.button);
            std::ifstream in(ini);
            const std::string file((std::istreambuf_iterator<char>(in)), {});
            EXPECT_EQ(file.find("secret9"), std::string::npos);
        }
    }
}

TEST_F(MainDialog, FavouritesRowAppliesItsFilesAndFollowsThePages) {
    const std::wstring folder = CSettingsPaths::FavoritesFolder(
        CSettingsLocator::UserFolder(CModuleStrings(GetModuleHandleW(nullptr))));
    ASSERT_TRUE(CSettingsLocator::CreateFolder(folder));
    auto clear = [&] {
        for (const wchar_t *name : {L"office.sfj", L"photo.sfj"})
            DeleteFileW((folder + L"\\" + name).c_str());
    };
    clear();
    CFavoriteInfo office;
    office.Name = "office";
    office.PaperPlace = 1;
    office.ColorMode = 2;
    office.Resolution = 3;
    office.Magnification = 2;
    office.MagnificationZoom = 150;
    CFavoriteInfo photo;
    photo.Name = "photo";
    photo.Brightness = 6;
    for (const CFavoriteInfo *f : {&office, &photo}) {
        CProfileFile file(folder + L"\\" + std::wstring(f->Name.begin(), f->Name.end()) + L".sfj");
        ASSERT_TRUE(f->Save(file));
    }

    Reach(500);
    HWND list = GetDlgItem(Dialog(), IDC_FAVORITES);
    ASSERT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 4);
    std::vector<std::wstring> texts;
    for (int i = 0; i < 4; ++i) {
        wchar_t text[64] = {};
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    EXPECT_EQ(texts[0], L"<現在の設定>");
    EXPECT_EQ(texts[1], L"標準");
    EXPECT_TRUE((texts[2] == L"office" && texts[3] == L"photo") ||
                (texts[2] == L"photo" && texts[3] == L"office"));
    const int officeAt = texts[2] == L"office" ? 2 : 3;
    EXPECT_EQ(Selected(Dialog(), IDC_FAVORITES), 0);

    // Applying a favourite shows it on the pages and in the paper place.
    Select(Dialog(), IDC_FAVORITES, officeAt);
    EXPECT_EQ(Selected(Basic(), IDC_COLOR_MODE), 2);
    EXPECT_EQ(Selected(Basic(), IDC_RESOLUTION), 3);
    EXPECT_TRUE(Checked(Dialog(), IDC_PAPER_FEEDER));
    EXPECT_TRUE(Checked(Input(), IDC_MAG_ZOOM));
    EXPECT_EQ(Text(Input(), IDC_ZOOM_EDIT), L"150");
    EXPECT_FALSE(On(Dialog(), IDC_PRESCAN));
    // Any change on a page makes the row the current settings again.
    Select(Quality(), IDC_DENSITY, 5);
    EXPECT_EQ(Selected(Dialog(), IDC_FAVORITES), 0);
    EXPECT_EQ(Selected(Basic(), IDC_COLOR_MODE), 2);
    // The standard entry brings back the standard choices.
    Select(Dialog(), IDC_FAVORITES, 1);
    EXPECT_EQ(Selected(Basic(), IDC_COLOR_MODE), 0);
    EXPECT_EQ(Selected(Quality(), IDC_DENSITY), 3);
    EXPECT_TRUE(Checked(Dialog(), IDC_PAPER_PLATEN));

    // The choice is remembered at close and selected and applied next time.
    Select(Dialog(), IDC_FAVORITES, officeAt);
    Click(IDCANCEL);
    CloseSource();
    Reach(500);
    EXPECT_EQ(Selected(Dialog(), IDC_FAVORITES), officeAt);
    EXPECT_EQ(Selected(Basic(), IDC_RESOLUTION), 3);
    EXPECT_TRUE(Checked(Dialog(), IDC_PAPER_FEEDER));
    CloseSource();
    clear();
}

}  // namespace
