#include "SelSrvDlg.h"

#include <string>

#include "AnsiText_win.h"
#include "MessageBox.h"
#include "ResString.h"
#include "res/server_dialog_ids.h"

namespace {

std::string Field(HWND dialog, int id) {
    return CAnsiText::FromWide(CDialogBase::WindowText(GetDlgItem(dialog, id)));
}

void SetField(HWND dialog, int id, const std::string &value) {
    SetDlgItemTextW(dialog, id, CAnsiText::ToWide(value).c_str());
}

}  // namespace

CSelSrvDlg::CSelSrvDlg(HINSTANCE module, const CServerSettings &settings)
    : m_module(module), m_settings(settings) {}

INT_PTR CSelSrvDlg::Run(HWND parent) {
    return RunModal(m_module, IDD_SELECT_SERVER, parent);
}

BOOL CSelSrvDlg::OnInitDialog() {
    const std::pair<int, int> limits[] = {{IDC_SERVER_ADDRESS, 255},
                                          {IDC_PROXY_NAME, 255},
                                          {IDC_PROXY_PORT, 5},
                                          {IDC_PROXY_USER, 31},
                                          {IDC_PROXY_PASSWORD, 31}};
    for (const auto &[id, limit] : limits)
        SendDlgItemMessageW(Hwnd(), id, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
    SetField(Hwnd(), IDC_SERVER_ADDRESS, m_settings.Server);
    SetField(Hwnd(), IDC_PROXY_USER, m_settings.UserName);
    SetField(Hwnd(), IDC_PROXY_PASSWORD, m_settings.Password);
    SetField(Hwnd(), IDC_PROXY_NAME, m_settings.ProxyName);
    SetField(Hwnd(), IDC_PROXY_PORT, m_settings.ProxyPort);
    CheckDlgButton(Hwnd(), IDC_PROXY_USE, m_settings.EnableProxy ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Hwnd(), IDC_PROXY_AUTH, m_settings.EnableAuth ? BST_CHECKED : BST_UNCHECKED);
    m_server.Attach(GetDlgItem(Hwnd(), IDC_SERVER_ADDRESS));
    m_proxy.Attach(GetDlgItem(Hwnd(), IDC_PROXY_NAME));
    m_user.Attach(GetDlgItem(Hwnd(), IDC_PROXY_USER));
    ApplyRules();
    return TRUE;
}

void CSelSrvDlg::ApplyRules() {
    const bool proxy = IsDlgButtonChecked(Hwnd(), IDC_PROXY_USE) == BST_CHECKED;
    const bool auth = proxy && IsDlgButtonChecked(Hwnd(), IDC_PROXY_AUTH) == BST_CHECKED;
    for (int id : {IDC_PROXY_NAME, IDC_PROXY_PORT, IDC_PROXY_AUTH})
        EnableWindow(GetDlgItem(Hwnd(), id), proxy);
    for (int id : {IDC_PROXY_USER, IDC_PROXY_PASSWORD})
        EnableWindow(GetDlgItem(Hwnd(), id), auth);
}

void CSelSrvDlg::ReadControls() {
    m_settings.Server = Field(Hwnd(), IDC_SERVER_ADDRESS);
    m_settings.ProxyName = Field(Hwnd(), IDC_PROXY_NAME);
    m_settings.ProxyPort = Field(Hwnd(), IDC_PROXY_PORT);
    m_settings.UserName = Field(Hwnd(), IDC_PROXY_USER);
    m_settings.Password = Field(Hwnd(), IDC_PROXY_PASSWORD);
    m_settings.EnableProxy = IsDlgButtonChecked(Hwnd(), IDC_PROXY_USE) == BST_CHECKED ? 1 : 0;
    m_settings.EnableAuth = IsDlgButtonChecked(Hwnd(), IDC_PROXY_AUTH) == BST_CHECKED ? 1 : 0;
}

bool CSelSrvDlg::Validate() {
    const bool proxy = m_settings.EnableProxy != 0;
    const bool auth = proxy && m_settings.EnableAuth != 0;
    const struct {
        bool missing;
        UINT message;
        int edit;
    } checks[] = {
        {m_settings.Server.empty(), IDS_NO_SERVER_ADDRESS, IDC_SERVER_ADDRESS},
        {proxy && m_settings.ProxyName.empty(), IDS_NO_PROXY_NAME, IDC_PROXY_NAME},
        {proxy && m_settings.ProxyPort.empty(), IDS_NO_PROXY_PORT, IDC_PROXY_PORT},
        {auth && m_settings.UserName.empty(), IDS_NO_PROXY_USER, IDC_PROXY_USER},
        {auth && m_settings.Password.empty(), IDS_NO_PROXY_PASSWORD, IDC_PROXY_PASSWORD},
    };
    for (const auto &check : checks) {
        if (!check.missing)
            continue;
        DsMessageBox(Hwnd(), LoadResString(m_module, check.message),
                     MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
        SetFocus(GetDlgItem(Hwnd(), check.edit));
        return false;
    }
    return true;
}

INT_PTR CSelSrvDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND)
        return FALSE;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    switch (id) {
        case IDC_SERVER_ADDRESS:
        case IDC_PROXY_NAME:
        case IDC_PROXY_USER:
            if (code == EN_CHANGE)
                (id == IDC_SERVER_ADDRESS ? m_server
                 : id == IDC_PROXY_NAME   ? m_proxy
                                          : m_user)
                    .OnChange();
            return TRUE;
        case IDC_PROXY_USE:
        case IDC_PROXY_AUTH:
            if (code == BN_CLICKED)
                ApplyRules();
            return TRUE;
        case IDOK: {
            const CServerSettings before = m_settings;
            ReadControls();
            if (!Validate()) {
                // Only a confirmed dialog hands its entries on.
                m_settings = before;
                return TRUE;
            }
            EndModal(IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndModal(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}
