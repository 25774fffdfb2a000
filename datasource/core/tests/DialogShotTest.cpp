// The main dialog with each page, and the version box, drawn on a virtual
// screen: each must show its labels, and with CORV_SHOT_DIR set the
// pictures are kept as BMP files for scripts/screenshots.
#include "DsTestSupport.h"

#include <commctrl.h>

#include "WindowShot.h"
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

class DialogShot : public DsTest {};

HWND g_box = nullptr;
HWND g_main = nullptr;
CWindowShot g_boxShot;
// Takes the modal box that the click opened, then closes it.
void CALLBACK ShootModalBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = GetActiveWindow();
    if (!box || box == g_box || box == g_main || GetClassLongW(box, GCW_ATOM) != 32770)
        return;
    KillTimer(nullptr, id);
    Pump(300);
    g_boxShot = CWindowShot::Of(box);
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
        HWND before = g_box;
        g_main = dialog;
        SetTimer(nullptr, 0, 100, ShootModalBox);
        Click(button);
        ASSERT_NE(g_box, before) << name;
        g_boxShot.Keep(name);
        EXPECT_GT(g_boxShot.Width(), 300) << name;
        g_box = nullptr;
    }
}

}  // namespace
