#include "SaveFileDlg.h"

#include <commdlg.h>

#include <ctime>
#include <cwchar>

#include "PathText.h"
#include "ResString.h"
#include "SaveOptionDlg.h"
#include "SaveOptions.h"
#include "res/scanapp_ids.h"

namespace {
constexpr size_t kNameBuffer = 260;
constexpr int kExtraHeight = 50;
}  // namespace

CSaveFileDlg::CSaveFileDlg(HINSTANCE module, const CScanSettings &settings)
    : m_module(module), m_values(settings) {}

bool CSaveFileDlg::Run(HWND parent) {
    std::wstring filter = LoadResString(m_module, IDS_SAVE_FILTER);
    for (wchar_t &c : filter)
        if (c == L'|')
            c = L'\0';
    wchar_t name[kNameBuffer] = {};
    const std::time_t now = std::time(nullptr);
    // A name that would not fit is left out rather than cut.
    if (std::wcsftime(name, kNameBuffer, L"%Y%m%d_%H%M%S", std::localtime(&now)) == 0)
        name[0] = L'\0';
    const std::wstring folder = CPathText::FromAnsi(m_values.Path);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = parent;
    ofn.hInstance = m_module;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex =
        static_cast<DWORD>(CSaveOptions::ValidType(m_values.Type) ? m_values.Type : 1);
    ofn.lpstrFile = name;
    ofn.nMaxFile = kNameBuffer;
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = Hook;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    if (!::GetSaveFileNameW(&ofn))
        return false;
    m_path = name;
    m_type = static_cast<int>(ofn.nFilterIndex);
    if (!CSaveOptions::ValidType(m_type))
        m_type = 1;
    return true;
}

UINT_PTR CALLBACK CSaveFileDlg::Hook(HWND hook, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto *self = reinterpret_cast<CSaveFileDlg *>(
            reinterpret_cast<const OPENFILENAMEW *>(lParam)->lCustData);
        ::SetWindowLongPtrW(hook, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->AddCheckBox(::GetParent(hook));
        return TRUE;
    }
    if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR *>(lParam)->code == CDN_FILEOK) {
        auto *self = reinterpret_cast<CSaveFileDlg *>(::GetWindowLongPtrW(hook, GWLP_USERDATA));
        if (self && !self->Accept(::GetParent(hook))) {
            ::SetWindowLongPtrW(hook, DWLP_MSGRESULT, 1);
            return 1;
        }
    }
    return 0;
}

void CSaveFileDlg::AddCheckBox(HWND dialog) {
    RECT frame{};
    ::GetWindowRect(dialog, &frame);
    ::SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left,
                   frame.bottom - frame.top + kExtraHeight, SWP_NOMOVE | SWP_NOZORDER);
    RECT place{};
    if (const HWND combo = ::GetDlgItem(dialog, IDC_FILE_TYPE_COMBO)) {
        ::GetWindowRect(combo, &place);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&place), 2);
        const int height = place.bottom - place.top;
        place.top = place.bottom + 5;
        place.bottom = place.top + height;
    } else {
        RECT client{};
        ::GetClientRect(dialog, &client);
        place = {10, client.bottom - 25, client.right - 30, client.bottom - 5};
    }
    const std::wstring text = LoadResString(m_module, IDS_SAVE_ASK_OPTIONS);
    const HWND box = ::CreateWindowExW(
        0, L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
        place.left, place.top, place.right - place.left, place.bottom - place.top, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SAVE_ASK_OPTIONS)), m_module, nullptr);
    ::SendMessageW(box, WM_SETFONT, ::SendMessageW(dialog, WM_GETFONT, 0, 0), TRUE);
    ::SendMessageW(box, BM_SETCHECK, m_values.AskCompression == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CSaveFileDlg::Accept(HWND dialog) {
    const bool ask = ::IsDlgButtonChecked(dialog, IDC_SAVE_ASK_OPTIONS) == BST_CHECKED;
    m_values.AskCompression = ask ? 1 : 0;
    if (!ask)
        return true;
    const LRESULT selection =
        ::SendDlgItemMessageW(dialog, IDC_FILE_TYPE_COMBO, CB_GETCURSEL, 0, 0);
    const int type = selection == CB_ERR ? 1 : static_cast<int>(selection) + 1;
    switch (type) {
        case CSaveOptions::kJpeg:
            return CJPEGOptionDlg(m_module, m_values).Run(dialog);
        case CSaveOptions::kPdf:
            return CPDFOptionDlg(m_module, m_values).Run(dialog);
        case CSaveOptions::kHighCompressionPdf:
            return CMRCPDFOptionDlg(m_module, m_values).Run(dialog);
        default:
            m_values.Compression = 0;
            return true;
    }
}
