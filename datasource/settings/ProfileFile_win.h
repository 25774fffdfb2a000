// An INI-format settings file read and written with the system's profile
// functions (which keep the file in the system ANSI code page).
#pragma once

#include <string>

#include "ProfileFile.h"

// An empty path is a file that cannot be read or written; a key or value
// with a line break is never written.
class CProfileFile : public IProfileFile {
public:
    explicit CProfileFile(std::wstring path) : m_path(std::move(path)) {}

    const std::wstring &Path() const { return m_path; }
    std::optional<std::string> Read(std::string_view section, std::string_view key) const override;
    bool Write(std::string_view section, std::string_view key, std::string_view value) override;

private:
    std::wstring m_path;
};
