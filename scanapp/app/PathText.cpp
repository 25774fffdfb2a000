#include "PathText.h"

#include <windows.h>

namespace {
std::wstring Widen(UINT codePage, const std::string &text) {
    if (text.empty())
        return {};
    const int n =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                              n);
    return out;
}

std::string Narrow(UINT codePage, DWORD flags, const std::wstring &text, BOOL *lossy) {
    if (text.empty())
        return {};
    const int n = ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, lossy);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()),
                              out.data(), n, nullptr, lossy);
    return out;
}
}  // namespace

std::wstring CPathText::Wide(const std::string &utf8) {
    return Widen(CP_UTF8, utf8);
}

std::string CPathText::Utf8(const std::wstring &wide) {
    return Narrow(CP_UTF8, 0, wide, nullptr);
}

std::wstring CPathText::FromAnsi(const std::string &ansi) {
    return Widen(CP_ACP, ansi);
}

std::string CPathText::Ansi(const std::wstring &wide) {
    BOOL lossy = FALSE;
    std::string out = Narrow(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, &lossy);
    return lossy ? std::string() : out;
}
