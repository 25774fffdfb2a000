#include "DialogBase.h"

CDialogBase::~CDialogBase() {
    DestroyDialog();
}

std::wstring CDialogBase::WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void CDialogBase::DestroyDialog() {
    if (m_modal) {
        EndModal(IDCANCEL);
        return;
    }
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
}

bool CDialogBase::CreateDialogFrom(HINSTANCE module, int id, HWND parent) {
    const HWND hwnd = ::CreateDialogParamW(module, MAKEINTRESOURCEW(id), parent, Proc,
                                           reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr && hwnd == m_hwnd;
}

INT_PTR CDialogBase::RunModal(HINSTANCE module, int id, HWND parent) {
    if (m_hwnd)
        return -1;
    m_modal = true;
    const INT_PTR result = ::DialogBoxParamW(module, MAKEINTRESOURCEW(id), parent, Proc,
                                             reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

void CDialogBase::EndModal(INT_PTR result) {
    if (!m_modal)
        DestroyDialog();
    else if (m_hwnd)
        ::EndDialog(m_hwnd, result);
}

INT_PTR CALLBACK CDialogBase::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto *self = reinterpret_cast<CDialogBase *>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        self->m_hwnd = hwnd;
        return self->OnInitDialog();
    }
    auto *self = reinterpret_cast<CDialogBase *>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return FALSE;
    INT_PTR result = self->OnMessage(msg, wParam, lParam);
    if (!result && self->m_modal && msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        self->EndModal(IDCANCEL);
        result = TRUE;
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}
