#include "MainDlg.h"

#include <commctrl.h>

#include <string>

#include "ResString.h"
#include "res/corvsrc_ids.h"
#include "res/main_dialog_ids.h"
#include "DiagLog.h"

CMainDlg *CMainDlg::s_mainDlg = nullptr;

CMainDlg::CMainDlg(IMainDlgHost &source) : m_source(source) {
    if (s_mainDlg)
        WriteLog("CMainDlg::CMainDlg(), sMainDlg not NULL.");
    else
        s_mainDlg = this;
}

CMainDlg::~CMainDlg() {
    DestroyDialog();
    if (s_mainDlg == this)
        s_mainDlg = nullptr;
}

bool CMainDlg::Create(HWND parent) {
    if (IsOpen())
        return true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    return CreateDialogFrom(m_source.ResourceModule(), IDD_MAIN, parent);
}

void CMainDlg::Show() {
    if (IsOpen())
        ::ShowWindow(Hwnd(), SW_SHOW);
}

void CMainDlg::Enable(bool enable) {
    if (Hwnd())
        ::EnableWindow(Hwnd(), enable ? TRUE : FALSE);
}

void CMainDlg::SetScanButtonText(const wchar_t *text) {
    if (Hwnd())
        ::SetDlgItemTextW(Hwnd(), IDC_SCAN, text);
}

void CMainDlg::RefreshState() {
    if (Hwnd())
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

CScanArea CMainDlg::ScanArea() const {
    CScanArea area = m_area;
    if (area.resolution <= 0)
        area.resolution = static_cast<int32_t>(m_source.CurrentResolution());
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
    return Hwnd() && ::IsDialogMessageW(Hwnd(), const_cast<MSG *>(msg));
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
    HINSTANCE hInst = m_source.ResourceModule();
    ::SetWindowTextW(Hwnd(), LoadResString(hInst, IDS_APP_TITLE).c_str());
    HWND tabs = ::GetDlgItem(Hwnd(), IDC_TABS);
    const UINT tabIds[] = {IDS_TAB_BASIC, IDS_TAB_QUALITY, IDS_TAB_INPUT};
    for (int i = 0; i < 3; ++i) {
        std::wstring text = LoadResString(hInst, tabIds[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        ::SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    HWND units = ::GetDlgItem(Hwnd(), IDC_UNIT);
    for (const wchar_t *unit : {L"mm", L"inch", L"pt", L"級"})
        ::SendMessageW(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit));
    ::SendMessageW(units, CB_SETCURSEL, 0, 0);
    ::CheckRadioButton(Hwnd(), IDC_PAPER_PLATEN, IDC_PAPER_FEEDER, IDC_PAPER_PLATEN);
    ::SetFocus(::GetDlgItem(Hwnd(), IDC_PRESCAN));
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
            m_pointer =
                (::GetKeyState(VK_CONTROL) & 0x8000) ? PointerMode::ZoomOut : PointerMode::ZoomIn;
            break;
        default:
            break;
    }
}
