// An edit control that takes only the characters of its mask: a change
// that brings in any other character beeps and puts back the text it had,
// with the caret where it was.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CRestrictedEdit {
public:
    CRestrictedEdit(uint32_t mask, size_t limit = 0) : m_mask(mask), m_limit(limit) {}

    void Attach(HWND edit);
    // From the dialog's EN_CHANGE of this edit.
    void OnChange();

private:
    HWND m_edit = nullptr;
    uint32_t m_mask;
    size_t m_limit;
    std::wstring m_accepted;
    bool m_restoring = false;
};
