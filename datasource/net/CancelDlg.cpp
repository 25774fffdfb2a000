#include "CancelDlg.h"

#include "res/job_ids.h"

namespace {
INT_PTR CALLBACK CancelProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}
}  // namespace

CCancelDlg::CCancelDlg(HINSTANCE module, HWND parent) : m_parent(parent) {
    m_hwnd =
        CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_CANCEL_PROGRESS), parent, CancelProc, 0);
    if (m_parent)
        EnableWindow(m_parent, FALSE);
    if (m_hwnd) {
        ShowWindow(m_hwnd, SW_SHOW);
        UpdateWindow(m_hwnd);
    }
}

CCancelDlg::~CCancelDlg() {
    if (m_parent)
        EnableWindow(m_parent, TRUE);
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}
