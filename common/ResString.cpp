#include "ResString.h"

std::wstring LoadResString(HINSTANCE hInst, UINT id) {
    const wchar_t *text = nullptr;
    // With a zero buffer size LoadStringW hands back a pointer into the
    // resource itself, so no length limit applies here.
    int n = ::LoadStringW(hInst, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || !text)
        return {};
    return std::wstring(text, static_cast<size_t>(n));
}

std::string LoadResStringAnsi(HINSTANCE hInst, UINT id) {
    std::wstring wide = LoadResString(hInst, id);
    if (wide.empty())
        return {};
    int n = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                  nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                              nullptr, nullptr);
    return out;
}
