// The host selection dialog (template 1018, "ホスト選択"): the scan
// server's address and an optional HTTP proxy with user authentication.
// It never contacts the server; OK only checks that what the chosen
// options need is filled in.
#pragma once

#include <windows.h>

#include "DialogBase.h"
#include "RestrictedEdit.h"
#include "ServerSettings.h"

class CSelSrvDlg : public CDialogBase {
public:
    CSelSrvDlg(HINSTANCE module, const CServerSettings &settings);

    // IDOK when the user confirmed valid entries (then Settings() holds them).
    INT_PTR Run(HWND parent);
    const CServerSettings &Settings() const { return m_settings; }

private:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void ApplyRules();
    void ReadControls();
    // The first missing entry, in the order the user meets them: its
    // message is shown and its edit focused; false keeps the dialog open.
    bool Validate();

    HINSTANCE m_module;
    CServerSettings m_settings;
    // Addresses and the login name take no spaces or control characters.
    CRestrictedEdit m_server{7};
    CRestrictedEdit m_proxy{7};
    CRestrictedEdit m_user{7};
};
