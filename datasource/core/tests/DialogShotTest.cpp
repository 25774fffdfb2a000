// The main dialog with each page, and the version box, drawn on a virtual
// screen: each must show its labels, and with CORV_SHOT_DIR set the
// pictures are kept as BMP files for scripts/screenshots.
#include "DsTestSupport.h"

#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "res/main_dialog_ids.h"

namespace {

struct CShot {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;  // bottom-up rows, 3 bytes a pixel, rows padded to 4
};

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

// What the screen shows of a window, frame included.
CShot Capture(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    CShot shot;
    shot.width = r.right - r.left;
    shot.height = r.bottom - r.top;
    const int stride = (shot.width * 3 + 3) & ~3;
    shot.bgr.resize(static_cast<size_t>(stride) * shot.height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader = {
        sizeof(BITMAPINFOHEADER), shot.width, shot.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(memory, bitmap, 0, shot.height, shot.bgr.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

// Pixels inside a child's rectangle that are much darker than the face colour: drawn text.
int DarkPixels(const CShot &shot, HWND window, HWND child) {
    RECT w{}, c{};
    GetWindowRect(window, &w);
    GetWindowRect(child, &c);
    const int stride = (shot.width * 3 + 3) & ~3;
    int dark = 0;
    for (int y = c.top - w.top; y < c.bottom - w.top; ++y)
        for (int x = c.left - w.left; x < c.right - w.left; ++x) {
            if (x < 0 || y < 0 || x >= shot.width || y >= shot.height)
                continue;
            const uint8_t *p = &shot.bgr[static_cast<size_t>(shot.height - 1 - y) * stride + x * 3];
            dark += p[0] + p[1] + p[2] < 200 ? 1 : 0;
        }
    return dark;
}

void Keep(const CShot &shot, const char *name) {
    const char *dir = std::getenv("CORV_SHOT_DIR");
    if (!dir)
        return;
    const int stride = (shot.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER),
                          shot.width,
                          shot.height,
                          1,
                          24,
                          BI_RGB,
                          static_cast<DWORD>(stride * shot.height),
                          0,
                          0,
                          0,
                          0};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::ofstream out(std::string(dir) + "\\" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char *>(&file), sizeof(file));
    out.write(reinterpret_cast<const char *>(&info), sizeof(info));
    out.write(reinterpret_cast<const char *>(shot.bgr.data()),
              static_cast<std::streamsize>(shot.bgr.size()));
}

class DialogShot : public DsTest {};

HWND g_box = nullptr;
HWND g_main = nullptr;
CShot g_boxShot;
// Takes the modal box that the click opened, then closes it.
void CALLBACK ShootModalBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = GetActiveWindow();
    if (!box || box == g_box || box == g_main || GetClassLongW(box, GCW_ATOM) != 32770)
        return;
    KillTimer(nullptr, id);
    Pump(300);
    g_boxShot = Capture(box);
    g_box = box;
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

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
        const CShot shot = Capture(dialog);
        Keep(shot, names[tab]);
        // The shown page and the command buttons carry their texts.
        HWND page = nullptr;
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (c != tabs && (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) &&
                GetClassLongW(c, GCW_ATOM) == 32770)
                page = c;
        ASSERT_NE(page, nullptr) << names[tab];
        EXPECT_GT(DarkPixels(shot, dialog, page), 150) << names[tab];
        EXPECT_GT(DarkPixels(shot, dialog, GetDlgItem(dialog, IDOK)), 20) << names[tab];
        EXPECT_GT(DarkPixels(shot, dialog, GetDlgItem(dialog, IDC_PAPER_PLATEN)), 20) << names[tab];
    }
    const std::pair<int, const char *> boxes[] = {{IDC_VERSION, "version-box"},
                                                  {IDC_SERVER, "server-dialog"}};
    for (const auto &[button, name] : boxes) {
        HWND before = g_box;
        g_main = dialog;
        SetTimer(nullptr, 0, 100, ShootModalBox);
        Click(button);
        ASSERT_NE(g_box, before) << name;
        Keep(g_boxShot, name);
        EXPECT_GT(g_boxShot.width, 300) << name;
        g_box = nullptr;
    }
}

}  // namespace
