#include "PreScanDlg.h"

#include "res/job_dialog_ids.h"
#include "res/main_dialog_ids.h"

CPreScanDlg::CPreScanDlg(HINSTANCE module, HWND parent, std::function<void()> onCancel)
    : m_strings(module), m_parent(parent), m_onCancel(std::move(onCancel)) {
    if (CreateDialogFrom(module, IDD_PRESCAN_PROGRESS, parent))
        ::ShowWindow(Hwnd(), SW_SHOW);
}

CPreScanDlg::~CPreScanDlg() {
    DestroyDialog();
}

INT_PTR CPreScanDlg::OnMessage(UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wp) != IDCANCEL)
                return FALSE;
            {
                // The job sees the mark at its next poll and cancels on the server.
                auto onCancel = m_onCancel;
                DestroyDialog();
                if (onCancel)
                    onCancel();
            }
            return TRUE;
        case WM_DESTROY:
            OnDestroy();
            return FALSE;
        default:
            return FALSE;
    }
}

void CPreScanDlg::OnDestroy() {
    if (!m_parent || !::IsWindow(m_parent))
        return;
    ::EnableWindow(m_parent, TRUE);
    // Clicks on Prescan made while the dialog was disabled are still queued;
    // handled now they would start a second prescan the user never meant.
    HWND button = ::GetDlgItem(m_parent, IDC_PRESCAN);
    MSG queued;
    while (button && ::PeekMessageW(&queued, button, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
}

void CPreScanDlg::SetStatus(const std::wstring &text) {
    if (Hwnd() && text != ItemText(IDC_PRESCAN_DETAIL))
        ::SetDlgItemTextW(Hwnd(), IDC_PRESCAN_DETAIL, text.c_str());
}

void CPreScanDlg::SetStoppedLook(bool stopped) {
    if (!Hwnd() || stopped == m_stopped)
        return;
    m_stopped = stopped;
    if (stopped) {
        m_keptText = ItemText(IDC_PRESCAN_TEXT);
        m_keptDetail = ItemText(IDC_PRESCAN_DETAIL);
        ::SetDlgItemTextW(Hwnd(), IDC_PRESCAN_TEXT, m_strings.Load(IDS_STOPPING_SCAN).c_str());
        ::SetDlgItemTextW(Hwnd(), IDC_PRESCAN_DETAIL,
                          m_strings.Load(IDS_CHECK_DEVICE_PANEL).c_str());
    } else {
        ::SetDlgItemTextW(Hwnd(), IDC_PRESCAN_TEXT, m_keptText.c_str());
        ::SetDlgItemTextW(Hwnd(), IDC_PRESCAN_DETAIL, m_keptDetail.c_str());
    }
}

void CPreScanDlg::Repaint() {
    if (Hwnd()) {
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
        ::UpdateWindow(Hwnd());
    }
}
