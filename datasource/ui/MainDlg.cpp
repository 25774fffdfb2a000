#include "MainDlg.h"

#include <commctrl.h>

#include <string>

#include "../core/DataSource.h"
#include "../core/ResString.h"
#include "../core/TwainSrcApp.h"
#include "../res/corvsrc_ids.h"
#include "DiagLog.h"

CMainDlg *CMainDlg::s_mainDlg = nullptr;

CMainDlg::CMainDlg(CDataSource &source) : m_source(source) {
    if (s_mainDlg)
        WriteLog("CMainDlg::CMainDlg(), sMainDlg not NULL.");
    else
        s_mainDlg = this;
}

CMainDlg::~CMainDlg() {
    Destroy();
    if (s_mainDlg == this)
        s_mainDlg = nullptr;
}

bool CMainDlg::Create(HWND parent) {
    if (m_hwnd)
        return true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    HWND hwnd = ::CreateDialogParamW(TheApp().Instance(), MAKEINTRESOURCEW(IDD_MAIN), parent, DlgProc,
                                     reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr && m_hwnd == hwnd;
}

void CMainDlg::Show() {
    if (m_hwnd)
        ::ShowWindow(m_hwnd, SW_SHOW);
}

void CMainDlg::Destroy() {
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
}

void CMainDlg::Enable(bool enable) {
    if (m_hwnd)
        ::EnableWindow(m_hwnd, enable ? TRUE : FALSE);
}

void CMainDlg::SetScanButtonText(const wchar_t *text) {
    if (m_hwnd)
        ::SetDlgItemTextW(m_hwnd, IDC_SCAN, text);
}

void CMainDlg::RefreshState() {
    if (m_hwnd)
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

CScanArea CMainDlg::ScanArea() const {
    CScanArea area = m_area;
    if (area.resolution <= 0)
        area.resolution = static_cast<int32_t>(m_source.Caps().XResolution());
    return area;
}

void CMainDlg::OnControlKey(bool down) {
    // Control flips the zoom tool between zooming in and out while held.
    if (down && m_pointer == PointerMode::ZoomIn)
        m_pointer = PointerMode::ZoomOut;
    else if (!down && m_pointer == PointerMode::ZoomOut)
        m_pointer = PointerMode::ZoomIn;
}

bool CMainDlg::IsDialogMsg(const MSG *msg) {
    return m_hwnd && ::IsDialogMessageW(m_hwnd, const_cast<MSG *>(msg));
}

INT_PTR CALLBACK CMainDlg::DlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto *self = reinterpret_cast<CMainDlg *>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        self->m_hwnd = hwnd;
        return self->OnInitDialog();
    }
    auto *self = reinterpret_cast<CMainDlg *>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return FALSE;
    INT_PTR result = self->OnMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}

INT_PTR CMainDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        // Default handling then turns the close box into the Close button.
        m_source.EndJob();
        return FALSE;
    case WM_DESTROY:
        m_source.EndJob();
        return FALSE;
    default:
        return FALSE;
    }
}

BOOL CMainDlg::OnInitDialog() {
    HINSTANCE hInst = TheApp().Instance();
    ::SetWindowTextW(m_hwnd, LoadResString(hInst, IDS_APP_TITLE).c_str());
    HWND tabs = ::GetDlgItem(m_hwnd, IDC_TABS);
    const UINT tabIds[] = {IDS_TAB_BASIC, IDS_TAB_QUALITY, IDS_TAB_INPUT};
    for (int i = 0; i < 3; ++i) {
        std::wstring text = LoadResString(hInst, tabIds[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        ::SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    HWND units = ::GetDlgItem(m_hwnd, IDC_UNIT);
    for (const wchar_t *unit : {L"mm", L"inch", L"pt", L"級"})
        ::SendMessageW(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit));
    ::SendMessageW(units, CB_SETCURSEL, 0, 0);
    ::CheckRadioButton(m_hwnd, IDC_PAPER_PLATEN, IDC_PAPER_FEEDER, IDC_PAPER_PLATEN);
    ::SetFocus(::GetDlgItem(m_hwnd, IDC_PRESCAN));
    return FALSE;
}

void CMainDlg::OnCommand(UINT id) {
    switch (id) {
    case IDC_SCAN:
        m_source.ScanStart();
        break;
    case IDC_CLOSE:
        m_source.Cancel();
        break;
    case IDC_SELECT_BTN:
        m_pointer = PointerMode::Select;
        break;
    case IDC_HAND_BTN:
        m_pointer = PointerMode::Hand;
        break;
    case IDC_ZOOM_BTN:
        m_pointer = (::GetKeyState(VK_CONTROL) & 0x8000) ? PointerMode::ZoomOut : PointerMode::ZoomIn;
        break;
    default:
        break;
    }
}
