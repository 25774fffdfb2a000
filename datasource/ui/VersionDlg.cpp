#include "VersionDlg.h"

#include <algorithm>

#include "res/version_dialog_ids.h"

namespace {
constexpr COLORREF kTextColour = RGB(255, 255, 255);
constexpr int kOkBottomMargin = 15;
// The button keeps to the right, as far in as the texts are from the left:
// centred, it would cover the end of a copyright line.
constexpr int kOkRightMargin = 27;
constexpr SPictureBoxIds kIds{IDD_VERSION, IDC_VERSION_PICTURE, IDR_VERSION_PNG, IDC_VERSION_TEXT,
                              IDC_VERSION_COPYRIGHT};
}  // namespace

CVersionDlg::CVersionDlg(HINSTANCE module) : CPictureBox(module, kIds, kTextColour) {}

BOOL CVersionDlg::OnInitDialog() {
    FitToPicture();
    PlaceOverParent();
    ShowVersion();
    PlaceOkButton(kOkRightMargin, kOkBottomMargin);
    return TRUE;
}

// Centred over the parent's client area (the main dialog's, where the user
// was working), but never off the work area of the screen it is on.
void CVersionDlg::PlaceOverParent() {
    RECT box{};
    ::GetWindowRect(Hwnd(), &box);
    RECT over{};
    const HWND parent = Parent();
    if (parent && ::IsWindow(parent)) {
        ::GetClientRect(parent, &over);
        ::MapWindowPoints(parent, nullptr, reinterpret_cast<POINT *>(&over), 2);
    } else {
        ::GetWindowRect(Hwnd(), &over);
    }
    RECT work{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (::GetMonitorInfoW(::MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST), &monitor))
        work = monitor.rcWork;
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (!parent)
        over = work;

    int x = over.left + (Width(over) - Width(box)) / 2;
    int y = over.top + (Height(over) - Height(box)) / 2;
    // Left and top win when the box is larger than the work area: its
    // caption and the start of its texts stay reachable.
    x = std::max(static_cast<int>(work.left),
                 std::min(x, static_cast<int>(work.right) - Width(box)));
    y = std::max(static_cast<int>(work.top),
                 std::min(y, static_cast<int>(work.bottom) - Height(box)));
    ::SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
