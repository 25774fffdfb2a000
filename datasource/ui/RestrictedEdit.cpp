#include "RestrictedEdit.h"

#include "CharacterMask.h"
#include "DialogBase.h"

namespace {
std::wstring TextOf(HWND edit) {
    return CDialogBase::WindowText(edit);
}
}  // namespace

CRestrictedEdit::CRestrictedEdit(uint32_t mask, size_t limit)
    : m_filter([mask, limit](std::wstring_view text) {
          return CCharacterMask::Accepts(mask, text, limit);
      }) {}

void CRestrictedEdit::Attach(HWND edit) {
    m_edit = edit;
    m_accepted = TextOf(edit);
}

bool CRestrictedEdit::OnChange() {
    if (!m_edit || m_restoring)
        return false;
    const std::wstring text = TextOf(m_edit);
    // Text the program sets while the edit is not being typed in is taken as it is.
    const bool typed = GetFocus() == m_edit;
    if (!typed || m_filter(text)) {
        m_accepted = text;
        return typed;
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
    return false;
}
