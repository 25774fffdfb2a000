#include "TwainMessageText.h"

std::wstring CTwainMessageText::ReplaceFirst(const std::wstring &text, const std::wstring &mark,
                                             const std::wstring &value) {
    const size_t at = text.find(mark);
    if (at == std::wstring::npos)
        return text;
    return text.substr(0, at) + value + text.substr(at + mark.size());
}

std::wstring CTwainMessageText::WithPath(const std::wstring &text, const std::wstring &path) {
    return ReplaceFirst(text, L"%1", path);
}

std::wstring CTwainMessageText::WithCode(const std::wstring &text, int code) {
    return ReplaceFirst(text, L"%d", std::to_wstring(code));
}

std::wstring CTwainMessageText::WithLocation(const std::wstring &text, const std::wstring &file,
                                             int line) {
    return ReplaceFirst(ReplaceFirst(text, L"%s", file), L"%d", std::to_wstring(line));
}
