// Document size codes and the millimetre sizes of the standard ones, held in
// the string table from 330 on ("width height").
#pragma once

#include <cstdint>
#include <optional>

#include "StringSource.h"

struct SPaperSize {
    double widthMm;
    double heightMm;
};

class CDocumentSizes {
public:
    static constexpr int32_t kAutoDetect = 0;
    static constexpr int32_t kCustom = 2;
    static constexpr int32_t kFirstStandard = 3;  // A3
    static constexpr int32_t kLastStandard = 28;  // 11x17

    explicit CDocumentSizes(const IStringSource &strings) : m_strings(strings) {}

    static bool IsStandard(int32_t code) { return code >= kFirstStandard && code <= kLastStandard; }
    // The size of a standard code; nothing for codes 0..2, unknown codes or a
    // table entry that is not two positive numbers.
    std::optional<SPaperSize> Size(int32_t code) const;

private:
    const IStringSource &m_strings;
};
