#include "ScanDlg.h"

#include <commctrl.h>

#include "PageGeometry.h"
#include "ServerMessages.h"
#include "res/job_dialog_ids.h"

std::wstring &LastProgressByteText() {
    static std::wstring text;
    return text;
}

CScanDlg::CScanDlg(HINSTANCE module, HWND parent, std::function<void()> onCancel)
    : m_strings(module), m_onCancel(std::move(onCancel)) {
    if (CreateDialogFrom(module, IDD_SCAN_PROGRESS, parent))
        ShowWindow(Hwnd(), SW_SHOW);
}

INT_PTR CScanDlg::OnMessage(UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) {
        // Cancel marks the job and closes the dialog; the job's next poll
        // sees the mark and sends the matching cancel command.
        auto onCancel = m_onCancel;
        DestroyDialog();
        if (onCancel)
            onCancel();
        return TRUE;
    }
    return FALSE;
}

void CScanDlg::SetPage(int32_t page) {
    if (!Hwnd())
        return;
    std::wstring text;
    if (page != 0)
        text = FormatMessageText(m_strings.Load(IDS_PAGE_NUMBER_FMT), {page});
    SetDlgItemTextW(Hwnd(), IDC_JOB_PAGE_TEXT, text.c_str());
}

void CScanDlg::SetProgress(uint32_t received, uint32_t total) {
    if (!Hwnd())
        return;
    // Each update of the bar and the counter costs about a millisecond of
    // window work; at a hundred MB per page that would slow the transfer
    // itself down, so running updates are shown at most every kRefreshMs.
    const DWORD now = GetTickCount();
    if (total == 0 && received != 0 && now - m_lastRefresh < kRefreshMs)
        return;
    m_lastRefresh = now;
    HWND bar = GetDlgItem(Hwnd(), IDC_JOB_PROGRESS);
    if (bar && total != 0) {
        SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total / 2));
        SendMessageW(bar, PBM_SETSTEP, static_cast<WPARAM>(total / 200), 0);
    }
    if (bar)
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(received / 2), 0);
    std::wstring text = FormatProgressBytes(received);
    if (text != LastProgressByteText()) {
        LastProgressByteText() = text;
        SetDlgItemTextW(Hwnd(), IDC_JOB_BYTE_TEXT, text.c_str());
    }
}

void CScanDlg::SetStatus(const std::wstring &text) {
    if (!Hwnd())
        return;
    wchar_t shown[512] = {};
    GetDlgItemTextW(Hwnd(), IDC_JOB_STATUS, shown, 512);
    if (text != shown)
        SetDlgItemTextW(Hwnd(), IDC_JOB_STATUS, text.c_str());
}

void CScanDlg::SetStoppedLook(bool stopped) {
    if (!Hwnd() || stopped == m_stopped)
        return;
    m_stopped = stopped;
    const int hidden[] = {IDC_JOB_SIZE_LABEL, IDC_JOB_BYTE_TEXT, IDC_JOB_PAGE_TEXT};
    for (int id : hidden)
        if (HWND h = GetDlgItem(Hwnd(), id))
            ShowWindow(h, stopped ? SW_HIDE : SW_SHOW);
    HWND notice = GetDlgItem(Hwnd(), IDC_JOB_NOTICE);
    if (stopped) {
        wchar_t kept[512] = {};
        GetDlgItemTextW(Hwnd(), IDC_JOB_NOTICE, kept, 512);
        m_noticeText = kept;
        SetDlgItemTextW(Hwnd(), IDC_JOB_NOTICE, m_strings.Load(IDS_STOPPING_SCAN).c_str());
        SetDlgItemTextW(Hwnd(), IDC_JOB_STATUS, m_strings.Load(IDS_CHECK_DEVICE_PANEL).c_str());
        if (notice)
            ShowWindow(notice, SW_SHOW);
    } else {
        SetDlgItemTextW(Hwnd(), IDC_JOB_NOTICE, L"");
        SetDlgItemTextW(Hwnd(), IDC_JOB_STATUS, L"");
        if (notice)
            ShowWindow(notice, SW_HIDE);
    }
}

void CScanDlg::Repaint() {
    if (Hwnd()) {
        InvalidateRect(Hwnd(), nullptr, TRUE);
        UpdateWindow(Hwnd());
    }
}
