#include "ProfileFile_win.h"

#include <windows.h>

#include "AnsiText_win.h"

namespace {

// No stored value can look like this, so getting it back means "missing".
constexpr wchar_t kMissing[] = L"\x01\x02missing\x03";
constexpr DWORD kMaxValue = 1 << 20;

}  // namespace

std::optional<std::string> CProfileFile::Read(std::string_view section,
                                              std::string_view key) const {
    if (m_path.empty()) {
        return std::nullopt;
    }
    const std::wstring wideSection = CAnsiText::ToWide(section);
    const std::wstring wideKey = CAnsiText::ToWide(key);
    // The value is read whole: a fixed buffer would silently cut a long
    // server name, or split a stored password in the middle of a pair.
    std::wstring buffer(256, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetPrivateProfileStringW(
            wideSection.c_str(), wideKey.c_str(), kMissing, buffer.data(), size, m_path.c_str());
        if (length + 1 < size || size >= kMaxValue) {
            buffer.resize(length);
            break;
        }
        buffer.resize(size * 2);
    }
    if (buffer == kMissing) {
        return std::nullopt;
    }
    return CAnsiText::FromWide(buffer);
}

bool CProfileFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    // A line break would end the value early and let the rest stand as keys
    // of their own (a name could then set "Password").
    constexpr std::string_view kLineBreaks = "\r\n";
    if (m_path.empty() || value.find_first_of(kLineBreaks) != std::string_view::npos ||
        key.find_first_of(kLineBreaks) != std::string_view::npos) {
        return false;
    }
    return WritePrivateProfileStringW(CAnsiText::ToWide(section).c_str(),
                                      CAnsiText::ToWide(key).c_str(),
                                      CAnsiText::ToWide(value).c_str(), m_path.c_str()) != FALSE;
}
