// One INI-format settings file, read and written key by key. Sections, keys
// and values are text in the system ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class IProfileFile {
public:
    virtual ~IProfileFile() = default;
    // The whole value of the key, or nothing when the key is missing.
    virtual std::optional<std::string> Read(std::string_view section,
                                            std::string_view key) const = 0;
    // False when the file could not be written.
    virtual bool Write(std::string_view section, std::string_view key, std::string_view value) = 0;
};
