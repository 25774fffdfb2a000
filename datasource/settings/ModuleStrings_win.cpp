#include "ModuleStrings_win.h"

std::wstring CModuleStrings::Load(unsigned id) const {
    // With a zero buffer size LoadStringW hands out the resource text itself,
    // so no string is ever cut at a fixed buffer length.
    const wchar_t *text = nullptr;
    const int length = LoadStringW(m_module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return std::wstring();
    }
    return std::wstring(text, static_cast<size_t>(length));
}
