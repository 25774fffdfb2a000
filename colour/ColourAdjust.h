#pragma once

#include "BitDepth.h"
#include "corvcolor.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace corvcolor {

class CToneTable;

// Hue, saturation and lightness in the 12-bit luminance/chroma working
// format: channel 0 scaled by k, the chroma pair rotated and scaled about
// neutral. Coefficients are integers in 1/10000. Every product of a
// coefficient and a level is taken from tables over the 4096 levels, with
// the tone table folded in front, so a pixel costs lookups and two sums.
class CColourAdjust {
public:
    static constexpr int kScale = 10000;
    // Neutral chroma: 8-bit 128 in the working format, so an untouched grey
    // stays exactly grey.
    static constexpr int kChromaCentre = (128 * 4095 + 127) / 255;

    static bool IsRequested(const SC_PREVIEWPARAM &p);
    // Neutral inputs give unit coefficients, and Apply is then the identity.
    CColourAdjust(int hue, int saturation, int lightness);

    // Puts the tone table in front of the adjustment: Apply then takes the
    // levels before the tone step. Without one the tone step is the identity.
    void FoldTone(const CToneTable *tone);

    // One pixel of three 12-bit samples.
    void Apply(const uint16_t *in, uint16_t *out) const {
        out[0] = light_[in[0]];
        out[1] = Scaled12(kCentreScaled + cosPart_[in[1]] - sinPart_[in[2]]);
        out[2] = Scaled12(kCentreScaled + sinPart_[in[1]] + cosPart_[in[2]]);
    }
    // The same pixel reduced to its top 8 bits, as the conversion table
    // takes it: the two roundings fold into one division.
    void Apply8(const uint16_t *in, uint8_t *out) const {
        out[0] = static_cast<uint8_t>(light_[in[0]] >> 4);
        out[1] = Scaled8(kCentreScaled + cosPart_[in[1]] - sinPart_[in[2]]);
        out[2] = Scaled8(kCentreScaled + sinPart_[in[1]] + cosPart_[in[2]]);
    }

    int lightCoef = kScale;  // k
    int cosCoef = kScale;    // s cos(angle)
    int sinCoef = 0;         // s sin(angle)

private:
    static constexpr int32_t kCentreScaled = kChromaCentre * kScale;

    // Rounded division by kScale, clamped to 12 bits. Anything below zero
    // ends as 0 whichever way it rounds, so only the positive side needs
    // rounding. With the inputs limited, |coefficient| <= 40000 and |sample|
    // <= 4095, so every sum stays far inside 32 bits.
    static uint16_t Scaled12(int32_t v) {
        const int32_t q = (std::max(v, 0) + kScale / 2) / kScale;
        return static_cast<uint16_t>(std::min(q, kMax12));
    }

    // Scaled12(v) >> 4: floor(floor(x / 10000) / 16) is floor(x / 160000).
    static uint8_t Scaled8(int32_t v) {
        const uint32_t q = static_cast<uint32_t>(std::max(v, 0) + kScale / 2) / (16u * kScale);
        return static_cast<uint8_t>(std::min(q, 255u));
    }

    std::vector<uint16_t> light_;   // Scaled12(k * level)
    std::vector<int32_t> cosPart_;  // s cos(angle) * (level - centre)
    std::vector<int32_t> sinPart_;  // s sin(angle) * (level - centre)
};

}  // namespace corvcolor
