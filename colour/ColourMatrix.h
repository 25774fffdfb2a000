#pragma once

#include "WorkImage.h"
#include "corvcolor.h"

#include <cstdint>

namespace corvcolor {

// Saturation, brightness and contrast of the sRGB preview as one 3 x 3
// matrix plus offset on 8-bit pixels, coefficients in 16.16 fixed point.
class CColourMatrix {
public:
    static constexpr int kInputLimit = 100;

    static bool IsRequested(const SC_PREVIEWPARAM &p);
    CColourMatrix(int saturation, int brightness, int contrast);

    // Pixels in blue, green, red byte order, as the preview images are held.
    void Apply(CImage8 &img) const;

    int32_t coef[3][3]{};  // [output R, G, B][input R, G, B]
    int32_t offset = 0;    // 16.16
};

}  // namespace corvcolor
