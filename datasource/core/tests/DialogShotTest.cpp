// The main dialog with each page, the version box, the server dialog and
// the two favourites dialogs, drawn on a virtual screen: each must show its
// labels, and with CORV_SHOT_DIR set the pictures are kept as BMP files for
// scripts/screenshots.
#include "DsTestSupport.h"

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>

#include "AnsiText_win.h"
#include "FavoriteList.h"
#include "FavoriteTreeCtrl.h"
#include "PreScanDlg.h"
#include "TwainSrcApp.h"
#include "DataSource.h"
#include "WindowShot.h"
#include "res/favorite_dialogs_ids.h"
#include "res/job_dialog_ids.h"
#include "res/main_dialog_ids.h"

namespace {

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

HWND g_box = nullptr;
HWND g_main = nullptr;
CWindowShot g_boxShot;
// Fills the box before it is taken; its checks of the picture after.
std::function<void(HWND)> g_prepare;
std::function<void(HWND, const CWindowShot &)> g_check;
// Takes the modal box that the click opened, then closes it.
void CALLBACK ShootModalBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = GetActiveWindow();
    if (!box || box == g_box || box == g_main || GetClassLongW(box, GCW_ATOM) != 32770)
        return;
    KillTimer(nullptr, id);
    if (g_prepare)
        g_prepare(box);
    RedrawWindow(box, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(300);
    g_boxShot = CWindowShot::Of(box);
    if (g_check)
        g_check(box, g_boxShot);
    g_box = box;
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

class DialogShot : public DsTest {
protected:
    // Opens the box behind `button` of the main dialog and keeps its picture.
    void ShootBox(int button, const char *name) {
        HWND before = g_box;
        g_main = Dialog();
        SetTimer(nullptr, 0, 100, ShootModalBox);
        Click(button);
        ASSERT_NE(g_box, before) << name;
        g_boxShot.Keep(name);
        g_box = nullptr;
    }
};

TEST_F(DialogShot, EveryPageAndTheVersionBoxShowTheirLabels) {
    Reach(500);
    HWND dialog = Dialog();
    SetWindowPos(dialog, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    const char *names[] = {"main-basic", "main-quality", "main-input"};
    HWND tabs = GetDlgItem(dialog, IDC_TABS);
    for (int tab = 0; tab < 3; ++tab) {
        SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
        NMHDR hdr{tabs, IDC_TABS, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(dialog, WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&hdr));
        RedrawWindow(dialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump(300);
        const CWindowShot shot = CWindowShot::Of(dialog);
        shot.Keep(names[tab]);
        // The shown page and the command buttons carry their texts.
        HWND page = nullptr;
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (c != tabs && (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) &&
                GetClassLongW(c, GCW_ATOM) == 32770)
                page = c;
        ASSERT_NE(page, nullptr) << names[tab];
        EXPECT_GT(shot.DarkPixelsIn(page), 150) << names[tab];
        EXPECT_GT(shot.DarkPixelsIn(GetDlgItem(dialog, IDOK)), 20) << names[tab];
        EXPECT_GT(shot.DarkPixelsIn(GetDlgItem(dialog, IDC_PAPER_PLATEN)), 20) << names[tab];
    }
    const std::pair<int, const char *> boxes[] = {{IDC_VERSION, "version-box"},
                                                  {IDC_SERVER, "server-dialog"}};
    for (const auto &[button, name] : boxes) {
        ShootBox(button, name);
        EXPECT_GT(g_boxShot.Width(), 300) << name;
    }
}

TEST_F(DialogShot, FavouriteDialogsShowTheirLabelsAndTheChangedSettings) {
    const std::wstring folder = EmptyFavoritesFolder();
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    CFavoriteInfo office = CFavoriteInfo::FromSettings(CScanSettings::Standard());
    office.Comment = CAnsiText::FromWide(L"事務所の A4 両面");
    office.ColorMode = 1;
    office.ScanFace = 1;
    office.InputMediumSize = 27;
    office.InputMediumCustomHeight = 297;
    office.Contrast = 1;
    office.Magnification = 2;
    office.MagnificationZoom = 150;
    const std::wstring file = folder + L"事務所.sfj";
    ASSERT_TRUE(CFavoriteList::WriteFile(file, office));

    Reach(500);
    HWND dialog = Dialog();
    SetWindowPos(dialog, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SendDlgItemMessageW(dialog, IDC_FAVORITES, CB_SETCURSEL, 2, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FAVORITES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_FAVORITES)));

    g_prepare = [](HWND box) {
        SetDlgItemTextW(box, IDC_FAVORITE_NAME, L"事務所 A4");
        SetDlgItemTextW(box, IDC_FAVORITE_COMMENT, L"両面で読み取り");
    };
    g_check = [](HWND box, const CWindowShot &shot) {
        EXPECT_GT(shot.DarkPixelsIn(GetDlgItem(box, IDC_FAVORITE_NAME)), 40);
        EXPECT_GT(shot.DarkPixelsIn(GetDlgItem(box, IDOK)), 20);
    };
    ShootBox(IDC_FAVORITE_SAVE, "favorite-storage");

    g_prepare = nullptr;
    g_check = [](HWND box, const CWindowShot &shot) {
        HWND tree = GetDlgItem(box, IDC_FAVORITE_TREE);
        EXPECT_GT(shot.DarkPixelsIn(tree), 1500);
        // Colour mode, two-sided, size, its height, contrast, magnification
        // and zoom differ from the standard: their lines stand out.
        EXPECT_GT(shot.PixelsIn(tree, CFavoriteTreeCtrl::kChangedBackground), 7 * 100);
        EXPECT_GT(shot.DarkPixelsIn(GetDlgItem(box, IDC_FAVORITE_ENTRIES)), 100);
        EXPECT_GT(shot.DarkPixelsIn(GetDlgItem(box, IDC_FAVORITE_COMMENT)), 40);
    };
    ShootBox(IDC_FAVORITE_LIST, "favorite-summary");
    g_check = nullptr;
    CloseSource();
    EmptyFavoritesFolder();
}

// A colour prescan as the server sends it (rows of red, green, blue, the
// bottom row stored first): a letter with a heading, lines of text, a
// coloured chart and a photo-like gradient, drawn at 200 dpi A4.
HGLOBAL LetterPage(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void *bits = nullptr;
    CGdiObject section(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    CMemoryDc dc(CreateCompatibleDC(nullptr));
    CSelectedObject into(dc.Get(), section.Get());
    const RECT page{0, 0, width, height};
    FillRect(dc.Get(), &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    CGdiObject heading(
        CreateFontW(-90, 0, 0, 0, FW_BOLD, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, L"MS UI Gothic"));
    CGdiObject body(CreateFontW(-36, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                                L"MS UI Gothic"));
    SelectObject(dc.Get(), heading.Get());
    TextOutW(dc.Get(), 160, 160, L"御見積書", 4);
    SelectObject(dc.Get(), body.Get());
    for (int line = 0; line < 24; ++line) {
        const wchar_t text[] = L"ネットワークスキャナーの設置と保守に関するお見積りです。";
        TextOutW(dc.Get(), 160, 360 + line * 56, text, static_cast<int>(wcslen(text)) - line % 5);
    }
    const COLORREF bars[] = {RGB(200, 40, 40), RGB(40, 140, 60), RGB(40, 80, 190),
                             RGB(230, 170, 20)};
    for (int i = 0; i < 4; ++i) {
        CGdiObject brush(CreateSolidBrush(bars[i]));
        const RECT bar{200 + i * 150, 2100 - (i + 2) * 60, 300 + i * 150, 2100};
        FillRect(dc.Get(), &bar, static_cast<HBRUSH>(brush.Get()));
    }
    GdiFlush();
    auto *pixels = static_cast<uint8_t *>(bits);
    const int stride = (width * 3 + 3) & ~3;
    for (int y = 1800; y < 2200; ++y)
        for (int x = 900; x < 1450; ++x) {
            uint8_t *p = pixels + (height - 1 - y) * stride + x * 3;
            p[0] = static_cast<uint8_t>(120 + (y - 1800) / 4);
            p[1] = static_cast<uint8_t>(60 + (x - 900) / 3);
            p[2] = static_cast<uint8_t>(250 - (x - 900) / 4);
        }
    HGLOBAL dib =
        GlobalAlloc(GHND, sizeof(BITMAPINFOHEADER) + static_cast<size_t>(stride) * height);
    CGlobalLock<uint8_t> out(dib);
    std::memcpy(out.Get(), &bi.bmiHeader, sizeof(BITMAPINFOHEADER));
    uint8_t *rows = out.Get() + sizeof(BITMAPINFOHEADER);
    std::memcpy(rows, pixels, static_cast<size_t>(stride) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            std::swap(rows[y * stride + x * 3], rows[y * stride + x * 3 + 2]);
    return dib;
}

TEST_F(DialogShot, PreviewShowsThePrescanAndTheSelectionAtEveryZoom) {
    Reach(500);
    HWND dialog = Dialog();
    SetWindowPos(dialog, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    CMainDlg &main = TheApp().Source()->MainDlg();
    const int width = 1654, height = 2339;
    main.SetHeldImage(LetterPage(width, height));
    main.ShowPreview(width, height, 200);
    main.SetScanArea(CScanArea{140, 140, 700, 260, 200});
    CPreview &preview = main.Preview();
    HWND window = preview.Hwnd();
    for (int zoom = CPreviewRules::kMinZoom; zoom <= CPreviewRules::kMaxZoom; ++zoom) {
        // Zoomed about the selection's middle, so that it stays in view.
        const RECT band = preview.SelectionRect();
        preview.ZoomAt(zoom, POINT{(band.left + band.right) / 2, (band.top + band.bottom) / 2});
        ASSERT_EQ(preview.Zoom(), zoom);
        RedrawWindow(dialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump(200);
        const CWindowShot shot = CWindowShot::Of(dialog);
        const std::string name = "preview-zoom" + std::to_string(zoom);
        shot.Keep(name.c_str());
        EXPECT_GT(shot.DarkPixelsIn(window), 500) << name << ": the page's text is drawn";
        // Eight black handles of 7 × 7 pixels mark the selection.
        EXPECT_GE(shot.PixelsIn(window, RGB(0, 0, 0)), 8 * 49) << name;
        EXPECT_GT(shot.DarkPixelsIn(GetDlgItem(dialog, IDC_RULER_H)), 40) << name;
    }

    CPreScanDlg prescan(TheApp().Instance(), dialog, nullptr);
    ASSERT_TRUE(prescan.IsShown());
    prescan.Repaint();
    Pump(200);
    const CWindowShot shot = CWindowShot::Of(prescan.Hwnd());
    shot.Keep("prescan-progress");
    EXPECT_GT(shot.DarkPixelsIn(GetDlgItem(prescan.Hwnd(), IDC_PRESCAN_TEXT)), 60);
    EXPECT_GT(shot.DarkPixelsIn(GetDlgItem(prescan.Hwnd(), IDCANCEL)), 20);
}

}  // namespace
