#include "OverWriteDlg.h"

#include <cwchar>

#include "ResString.h"
#include "res/scanapp_ids.h"

COverWriteDlg::COverWriteDlg(HINSTANCE module, std::wstring name, bool extraButtons)
    : m_module(module), m_name(std::move(name)), m_extra(extraButtons) {}

bool COverWriteDlg::Run(HWND parent) {
    return RunModal(m_module, IDD_OVERWRITE, parent) == IDOK;
}

BOOL COverWriteDlg::OnInitDialog() {
    const std::wstring format = LoadResString(m_module, IDS_OVERWRITE_FORMAT);
    std::wstring text;
    const size_t at = format.find(L"%s");
    text =
        at == std::wstring::npos ? format : format.substr(0, at) + m_name + format.substr(at + 2);
    ::SetDlgItemTextW(Hwnd(), IDC_OVERWRITE_TEXT, text.c_str());
    if (!m_extra)
        SpaceTwoButtons();
    RECT box{};
    ::GetWindowRect(Hwnd(), &box);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    ::SetWindowPos(Hwnd(), nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return TRUE;
}

void COverWriteDlg::SpaceTwoButtons() {
    for (int id : {IDC_OVERWRITE_ALL, IDC_OVERWRITE_CANCEL})
        ::ShowWindow(::GetDlgItem(Hwnd(), id), SW_HIDE);
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    const int ids[] = {IDOK, IDCANCEL};
    for (int i = 0; i < 2; ++i) {
        const HWND button = ::GetDlgItem(Hwnd(), ids[i]);
        RECT r{};
        ::GetWindowRect(button, &r);
        ::MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT *>(&r), 2);
        const int width = r.right - r.left;
        // Two equal gaps around each button: centred in its half.
        const int half = client.right / 2;
        ::SetWindowPos(button, nullptr, i * half + (half - width) / 2, r.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
    }
}

INT_PTR COverWriteDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
        case IDOK:
            EndModal(IDOK);
            return TRUE;
        case IDC_OVERWRITE_ALL:
            m_replaceAll = true;
            EndModal(IDOK);
            return TRUE;
        case IDCANCEL:
            EndModal(IDCANCEL);
            return TRUE;
        case IDC_OVERWRITE_CANCEL:
            m_cancel = true;
            EndModal(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}
