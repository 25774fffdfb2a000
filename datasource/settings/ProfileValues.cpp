#include "ProfileValues.h"

#include <algorithm>
#include <charconv>

int32_t CProfileValues::ReadInt(const IProfileFile &file, std::string_view section,
                                std::string_view key, int32_t fallback) {
    const auto text = file.Read(section, key);
    if (!text) {
        return fallback;
    }
    std::string_view digits = *text;
    digits.remove_prefix(std::min(digits.find_first_not_of(" \t"), digits.size()));
    if (digits.starts_with('+')) {
        digits.remove_prefix(1);
    }
    int32_t value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return result.ec == std::errc() ? value : fallback;
}

std::string CProfileValues::ReadText(const IProfileFile &file, std::string_view section,
                                     std::string_view key) {
    return file.Read(section, key).value_or(std::string());
}

void CProfileValues::WriteInt(IProfileFile &file, std::string_view section, std::string_view key,
                              int32_t value) {
    file.Write(section, key, std::to_string(value));
}
