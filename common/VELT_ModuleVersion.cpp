#include "VELT_ModuleVersion.h"

#include <cwchar>

namespace {
constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;
}

void CVELT_ModuleVersion::Clear() {
    m_block.clear();
    m_fixed = VS_FIXEDFILEINFO{};
    m_language = 0;
    m_codePage = 1252;
}

bool CVELT_ModuleVersion::Load(const std::wstring &fileName) {
    Clear();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(fileName.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(fileName.c_str(), 0, size, block.data()))
        return false;

    void *value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\", &value, &length) || !value ||
        length < sizeof(VS_FIXEDFILEINFO))
        return false;
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, value, sizeof(fixed));
    if (fixed.dwSignature != kFixedInfoSignature)
        return false;

    WORD language = 0;
    WORD codePage = 1252;
    if (::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) && value &&
        length >= 2 * sizeof(WORD)) {
        const auto *pair = static_cast<const WORD *>(value);
        language = pair[0];
        codePage = pair[1];
    }
    m_block = std::move(block);
    m_fixed = fixed;
    m_language = language;
    m_codePage = codePage;
    return true;
}

bool CVELT_ModuleVersion::LoadModule(const wchar_t *moduleName) {
    const HMODULE module = ::GetModuleHandleW(moduleName);
    if (!module) {
        Clear();
        return false;
    }
    return LoadModule(module);
}

bool CVELT_ModuleVersion::LoadModule(HMODULE module) {
    // Installed under a long folder name the path may not fit MAX_PATH; a
    // result as long as the buffer means it was cut.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            Clear();
            return false;
        }
        if (n < path.size()) {
            path.resize(n);
            return Load(path);
        }
        if (path.size() >= 32768) {
            Clear();
            return false;
        }
        path.resize(path.size() * 2);
    }
}

std::optional<std::wstring> CVELT_ModuleVersion::String(const wchar_t *name) const {
    if (m_block.empty() || !name)
        return std::nullopt;
    std::wstring query(32 + wcslen(name), L'\0');
    const int n = swprintf(query.data(), query.size(), L"\\StringFileInfo\\%04x%04x\\%ls",
                           m_language, m_codePage, name);
    if (n < 0)
        return std::nullopt;
    query.resize(static_cast<size_t>(n));
    void *value = nullptr;
    UINT length = 0;
    // VerQueryValue writes nothing, but takes the block as non-const.
    if (!::VerQueryValueW(const_cast<BYTE *>(m_block.data()), query.c_str(), &value, &length) ||
        !value)
        return std::nullopt;
    // The length counts characters and may include the terminating zero
    // (or, from some resource compilers, an explicit one inside the text).
    const auto *text = static_cast<const wchar_t *>(value);
    return std::wstring(text, wcsnlen(text, length));
}
