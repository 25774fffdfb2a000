#pragma once

#include "BitDepth.h"
#include "corvcolor.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvcolor {

class CToneTable;

// Hue, saturation and lightness in the 12-bit luminance/chroma working
// format: channel 0 scaled by k, the chroma pair rotated and scaled about
// neutral. Coefficients are integers in 1/10000. Lightness and the chroma
// levels come from tables over the 4096 levels, with the tone table folded
// in front, so a pixel costs three lookups, four products and two sums.
class CColourAdjust {
public:
    static constexpr int kScale = 10000;
    // Neutral chroma: 8-bit 128 in the working format, so an untouched grey
    // stays exactly grey.
    static constexpr int kChromaCentre = (128 * 4095 + 127) / 255;

    static bool IsRequested(const SC_PREVIEWPARAM &p);
    // Neutral inputs give unit coefficients, and the adjustment is then the
    // identity.
    CColourAdjust(int hue, int saturation, int lightness);

    // Puts the tone table in front of the adjustment: ApplyRow then takes
    // the levels before the tone step. Without one the tone step is the identity.
    void FoldTone(const CToneTable *tone);

    // The pixels that start at the given offsets into a row of 12-bit
    // samples, each reduced to the top 8 bits of its three adjusted samples
    // as the conversion table takes them.
    void ApplyRow(const uint16_t *row, const size_t *offsets, size_t count, uint8_t *ycc) const;

    int lightCoef = kScale;  // k
    int cosCoef = kScale;    // s cos(angle)
    int sinCoef = 0;         // s sin(angle)

    // Scaled12(k * level) >> 4 by level, with three entries past the last
    // level so that a vector kernel may read a 32-bit word at any level.
    const uint8_t *LightTable() const { return light_.data(); }
    // Level - centre by level.
    const int32_t *ChromaTable() const { return chroma_.data(); }

    // Rounded division by kScale and by 16, clamped to 8 bits, of a sum of
    // scaled chroma terms.
    static uint8_t Scaled8(int32_t v);

private:
    std::vector<uint8_t> light_;
    std::vector<int32_t> chroma_;
};

}  // namespace corvcolor
