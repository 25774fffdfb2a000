#pragma once

#include "corvcolor.h"

#include <array>
#include <cstdint>

namespace corvcolor {

// One 4096-entry table for the 12-bit tone corrections: levels (shadow and
// highlight), then gamma, and for the grey preview a final contrast factor.
class CToneTable {
public:
    static constexpr int kNeutralGamma = 18;
    static constexpr int kNeutralHighlight = 255;
    static constexpr int kNeutralShadow = 0;

    static bool IsRequested(const SC_PREVIEWPARAM &p);
    // False where the levels would divide by zero (highlight == shadow) or
    // gamma is not a positive exponent. Levels outside 0..255 or a shadow
    // above the highlight follow the same formula (the latter inverts).
    static bool IsValid(const SC_PREVIEWPARAM &p);

    // contrast: the grey preview's v -> v * (1 + contrast * 0.002); 0 = none.
    CToneTable(const SC_PREVIEWPARAM &p, int contrast);

    uint16_t operator[](uint16_t v) const { return table_[v]; }

private:
    std::array<uint16_t, 4096> table_{};
};

}  // namespace corvcolor
