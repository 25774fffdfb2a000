#include "AboutDlg.h"

#include "ResString.h"
#include "res/scanapp_ids.h"

namespace {
constexpr int kOkMargin = 15;
constexpr SPictureBoxIds kIds{IDD_ABOUTBOX, IDC_ABOUT_PICTURE, IDR_ABOUT_PNG, IDC_ABOUT_VERSION,
                              IDC_ABOUT_COPYRIGHT};
}  // namespace

CAboutDlg::CAboutDlg(HINSTANCE module)
    : CPictureBox(module, kIds, ::GetSysColor(COLOR_WINDOWTEXT)) {}

BOOL CAboutDlg::OnInitDialog() {
    SetTitle();
    FitToPicture();
    ShowVersion();
    PlaceOkButton(kOkMargin, kOkMargin);
    CentreOnScreen();
    return TRUE;
}

// The system menu's item without its access key and dots: "Scan Utility
// のバージョン情報".
void CAboutDlg::SetTitle() {
    std::wstring item = LoadResString(Module(), IDS_ABOUT_ITEM);
    const size_t tail = item.find(L"(&A)...");
    if (tail != std::wstring::npos)
        item.erase(tail);
    const std::wstring title = LoadResString(Module(), IDS_APP_TITLE) + item;
    ::SetWindowTextW(Hwnd(), title.c_str());
}

void CAboutDlg::CentreOnScreen() {
    RECT box{};
    ::GetWindowRect(Hwnd(), &box);
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - Width(box)) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - Height(box)) / 2;
    ::SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
