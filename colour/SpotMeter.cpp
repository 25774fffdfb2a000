#include "SpotMeter.h"

#include "BitDepth.h"
#include "PreviewGeometry.h"

#include <algorithm>
#include <cstdint>

namespace corvcolor {

int CSpotMeter::Measure(const uint8_t *in, const SC_SPOTPARAM &p, int bytesPerPixel) {
    if (p.width <= 0 || p.height <= 0 ||
        !CPreviewGeometry::ImageFits(p.width, p.height, bytesPerPixel))
        return -1;
    if (p.x < 0 || p.y < 0 || p.x >= p.width || p.y >= p.height)
        return -1;
    const int x0 = std::max(0, p.x - kRadius);
    const int x1 = std::min(p.width - 1, p.x + kRadius);
    const int y0 = std::max(0, p.y - kRadius);
    const int y1 = std::min(p.height - 1, p.y + kRadius);
    int sum = 0;
    for (int y = y0; y <= y1; ++y) {
        const uint8_t *row = in + static_cast<size_t>(y) * p.width * bytesPerPixel;
        for (int x = x0; x <= x1; ++x) {
            uint8_t v = row[static_cast<size_t>(x) * bytesPerPixel];
            if (p.curveSwitch != 0)
                v = To8(ApplyCurve(p.curve, To12(v)));
            sum += v;
        }
    }
    return sum / ((x1 - x0 + 1) * (y1 - y0 + 1));
}

}  // namespace corvcolor
