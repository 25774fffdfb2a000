#pragma once

#include "WorkImage.h"
#include "corvcolor.h"

namespace corvcolor {

// Hue, saturation and lightness in the 12-bit luminance/chroma working
// format: channel 0 scaled by k, the chroma pair rotated and scaled about
// neutral. Coefficients are integers in 1/10000.
class CColourAdjust {
public:
    static constexpr int kScale = 10000;
    // Neutral chroma: 8-bit 128 in the working format, so an untouched grey
    // stays exactly grey.
    static constexpr int kChromaCentre = (128 * 4095 + 127) / 255;

    static bool IsRequested(const SC_PREVIEWPARAM &p);
    CColourAdjust(int hue, int saturation, int lightness);

    void Apply(CWork12 &img) const;

    int lightCoef = kScale;  // k
    int cosCoef = kScale;    // s cos(angle)
    int sinCoef = 0;         // s sin(angle)
};

}  // namespace corvcolor
