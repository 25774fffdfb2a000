// An edit control that takes only the characters of its mask, or only the
// texts its filter accepts: a change that brings in anything else beeps and
// puts back the text it had, with the caret where it was.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

class CRestrictedEdit {
public:
    using Filter = std::function<bool(std::wstring_view text)>;

    CRestrictedEdit(uint32_t mask, size_t limit = 0);
    explicit CRestrictedEdit(Filter filter) : m_filter(std::move(filter)) {}

    void Attach(HWND edit);
    // From the dialog's EN_CHANGE of this edit. True when the user typed
    // and the text was kept; text the program sets gives false.
    bool OnChange();

private:
    HWND m_edit = nullptr;
    Filter m_filter;
    std::wstring m_accepted;
    bool m_restoring = false;
};
