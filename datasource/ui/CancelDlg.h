// "キャンセル処理中": shown while a cancel command runs; its parent (the main
// dialog) stays disabled for as long as it exists.
#pragma once

#include <windows.h>

#include "DialogBase.h"
#include "JobProgress.h"

class CCancelDlg : public CDialogBase, public ICancelNotice {
public:
    CCancelDlg(HINSTANCE module, HWND parent);
    ~CCancelDlg() override;

private:
    HWND m_parent = nullptr;
};
