#pragma once

#include "corvcolor.h"

namespace corvcolor {

// The eyedropper: average of one sample per pixel over the 7 x 7 square
// around a point, counting only pixels inside the image.
class CSpotMeter {
public:
    static constexpr int kRadius = 3;

    // bytesPerPixel 3 samples the first byte of each colour pixel, 1 the grey
    // byte. Returns the average 0..255, or -1 for a block that puts the spot
    // centre outside the image or declares an impossible image size.
    static int Measure(const uint8_t *in, const SC_SPOTPARAM &p, int bytesPerPixel);
};

}  // namespace corvcolor
