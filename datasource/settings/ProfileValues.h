// Reading and writing single values of a settings file the way every file
// of the source does it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ProfileFile.h"

class CProfileValues {
public:
    // Like the system's integer reading ("12 mm" is 12), except that a
    // value without any leading number or beyond 32 bits is not taken for 0
    // or wrapped, but gives the fallback.
    static int32_t ReadInt(const IProfileFile &file, std::string_view section, std::string_view key,
                           int32_t fallback);
    static std::string ReadText(const IProfileFile &file, std::string_view section,
                                std::string_view key);
    static void WriteInt(IProfileFile &file, std::string_view section, std::string_view key,
                         int32_t value);
};
