#include "DialogBase.h"

CDialogBase::~CDialogBase() {
    DestroyDialog();
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
    const INT_PTR result = self->OnMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}
