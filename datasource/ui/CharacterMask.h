// Which characters a restricted edit accepts. Bit 0 letters A-Z and a-z,
// bit 1 digits, bit 2 any other character above the space, bit 3 the
// space; 255 everything. Control characters are never accepted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class CCharacterMask {
public:
    static constexpr uint32_t kLetters = 1;
    static constexpr uint32_t kDigits = 2;
    static constexpr uint32_t kOthers = 4;
    static constexpr uint32_t kSpace = 8;
    static constexpr uint32_t kAll = 255;

    static bool Accepts(uint32_t mask, wchar_t c);
    // Every character accepted, and no longer than `limit` when it is not 0.
    static bool Accepts(uint32_t mask, std::wstring_view text, size_t limit);
};
