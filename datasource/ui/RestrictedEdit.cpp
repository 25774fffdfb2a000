#include "RestrictedEdit.h"

#include "CharacterMask.h"
#include "DialogBase.h"

namespace {
std::wstring TextOf(HWND edit) {
    return CDialogBase::WindowText(edit);
}
}  // namespace

void CRestrictedEdit::Attach(HWND edit) {
    m_edit = edit;
    m_accepted = TextOf(edit);
}

void CRestrictedEdit::OnChange() {
    if (!m_edit || m_restoring)
        return;
    const std::wstring text = TextOf(m_edit);
    // Text the program sets while the edit is not being typed in is taken as it is.
    if (GetFocus() != m_edit || CCharacterMask::Accepts(m_mask, text, m_limit)) {
        m_accepted = text;
        return;
    }
    MessageBeep(MB_OK);
    DWORD start = 0, end = 0;
    SendMessageW(m_edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    // The caret goes back to where it stood before the refused characters.
    const size_t added = text.size() > m_accepted.size() ? text.size() - m_accepted.size() : 0;
    const DWORD caret = start > added ? static_cast<DWORD>(start - added) : 0;
    m_restoring = true;
    SetWindowTextW(m_edit, m_accepted.c_str());
    m_restoring = false;
    SendMessageW(m_edit, EM_SETSEL, caret, caret);
}
