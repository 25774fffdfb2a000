#include "ScanDlg.h"

#include <commctrl.h>

#include "PageGeometry.h"
#include "ServerMessages.h"
#include "res/job_ids.h"

std::wstring &LastProgressByteText() {
    static std::wstring text;
    return text;
}

CScanDlg::CScanDlg(Kind kind, HINSTANCE module, HWND parent, std::function<void()> onCancel)
    : m_strings(module), m_onCancel(std::move(onCancel)) {
    const int id = kind == Kind::Scan ? IDD_SCAN_PROGRESS : IDD_PRESCAN_PROGRESS;
    m_hwnd = CreateDialogParamW(module, MAKEINTRESOURCEW(id), parent, DialogProc,
                                reinterpret_cast<LPARAM>(this));
    if (m_hwnd)
        ShowWindow(m_hwnd, SW_SHOW);
}

CScanDlg::~CScanDlg() {
    Close();
}

void CScanDlg::Close() {
    if (!m_hwnd)
        return;
    HWND h = m_hwnd;
    m_hwnd = nullptr;
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    DestroyWindow(h);
}

INT_PTR CALLBACK CScanDlg::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lp);
        return TRUE;
    }
    auto *self = reinterpret_cast<CScanDlg *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) {
        // Cancel marks the job and closes the dialog; the job's next poll
        // sees the mark and sends the matching cancel command.
        auto onCancel = self->m_onCancel;
        self->Close();
        if (onCancel)
            onCancel();
        return TRUE;
    }
    return FALSE;
}

void CScanDlg::SetPage(int32_t page) {
    if (!m_hwnd)
        return;
    std::wstring text;
    if (page != 0)
        text = FormatMessageText(m_strings.Load(IDS_PAGE_NUMBER_FMT), {page});
    SetDlgItemTextW(m_hwnd, IDC_JOB_PAGE_TEXT, text.c_str());
}

void CScanDlg::SetProgress(uint32_t received, uint32_t total) {
    if (!m_hwnd)
        return;
    // Each update of the bar and the counter costs about a millisecond of
    // window work; at a hundred MB per page that would slow the transfer
    // itself down, so running updates are shown at most every kRefreshMs.
    const DWORD now = GetTickCount();
    if (total == 0 && received != 0 && now - m_lastRefresh < kRefreshMs)
        return;
    m_lastRefresh = now;
    HWND bar = GetDlgItem(m_hwnd, IDC_JOB_PROGRESS);
    if (bar && total != 0) {
        SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total / 2));
        SendMessageW(bar, PBM_SETSTEP, static_cast<WPARAM>(total / 200), 0);
    }
    if (bar)
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(received / 2), 0);
    std::wstring text = FormatProgressBytes(received);
    if (text != LastProgressByteText()) {
        LastProgressByteText() = text;
        SetDlgItemTextW(m_hwnd, IDC_JOB_BYTE_TEXT, text.c_str());
    }
}

void CScanDlg::SetStatus(const std::wstring &text) {
    if (!m_hwnd)
        return;
    wchar_t shown[512] = {};
    GetDlgItemTextW(m_hwnd, IDC_JOB_STATUS, shown, 512);
    if (text != shown)
        SetDlgItemTextW(m_hwnd, IDC_JOB_STATUS, text.c_str());
}

void CScanDlg::SetStoppedLook(bool stopped) {
    if (!m_hwnd || stopped == m_stopped)
        return;
    m_stopped = stopped;
    const int hidden[] = {IDC_JOB_SIZE_LABEL, IDC_JOB_BYTE_TEXT, IDC_JOB_PAGE_TEXT};
    for (int id : hidden)
        if (HWND h = GetDlgItem(m_hwnd, id))
            ShowWindow(h, stopped ? SW_HIDE : SW_SHOW);
    HWND notice = GetDlgItem(m_hwnd, IDC_JOB_NOTICE);
    if (stopped) {
        wchar_t kept[512] = {};
        GetDlgItemTextW(m_hwnd, IDC_JOB_NOTICE, kept, 512);
        m_noticeText = kept;
        SetDlgItemTextW(m_hwnd, IDC_JOB_NOTICE, m_strings.Load(IDS_STOPPING_SCAN).c_str());
        SetDlgItemTextW(m_hwnd, IDC_JOB_STATUS, m_strings.Load(IDS_CHECK_DEVICE_PANEL).c_str());
        if (notice)
            ShowWindow(notice, SW_SHOW);
    } else {
        SetDlgItemTextW(m_hwnd, IDC_JOB_NOTICE, L"");
        SetDlgItemTextW(m_hwnd, IDC_JOB_STATUS, L"");
        if (notice)
            ShowWindow(notice, SW_HIDE);
    }
}

void CScanDlg::Repaint() {
    if (m_hwnd) {
        InvalidateRect(m_hwnd, nullptr, TRUE);
        UpdateWindow(m_hwnd);
    }
}
