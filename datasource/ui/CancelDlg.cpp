#include "CancelDlg.h"

#include "res/job_dialog_ids.h"

CCancelDlg::CCancelDlg(HINSTANCE module, HWND parent) : m_parent(parent) {
    const bool created = CreateDialogFrom(module, IDD_CANCEL_PROGRESS, parent);
    if (m_parent)
        EnableWindow(m_parent, FALSE);
    if (created) {
        ShowWindow(Hwnd(), SW_SHOW);
        UpdateWindow(Hwnd());
    }
}

CCancelDlg::~CCancelDlg() {
    if (m_parent)
        EnableWindow(m_parent, TRUE);
    DestroyDialog();
}
