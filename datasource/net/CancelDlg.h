// "キャンセル処理中": shown while a cancel command runs; its parent (the main
// dialog) stays disabled for as long as it exists.
#pragma once

#include <windows.h>

class CCancelDlg {
public:
    CCancelDlg(HINSTANCE module, HWND parent);
    ~CCancelDlg();
    CCancelDlg(const CCancelDlg &) = delete;
    CCancelDlg &operator=(const CCancelDlg &) = delete;

    HWND Hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
    HWND m_parent = nullptr;
};
