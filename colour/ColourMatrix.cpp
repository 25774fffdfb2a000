#include "ColourMatrix.h"

#include <algorithm>
#include <cmath>

namespace corvcolor {
namespace {

constexpr double kOne = 65536.0;  // 16.16
constexpr double kLuma[3] = {0.3, 0.59, 0.11};

int32_t Fixed(double v) {
    return static_cast<int32_t>(std::lround(v * kOne));
}

}  // namespace

bool CColourMatrix::IsRequested(const SC_PREVIEWPARAM &p) {
    return p.adjust1 != 0 || p.adjust2 != 0 || p.adjust3 != 0;
}

CColourMatrix::CColourMatrix(int saturation, int brightness, int contrast) {
    saturation = std::clamp(saturation, -kInputLimit, kInputLimit);
    brightness = std::clamp(brightness, -kInputLimit, kInputLimit);
    contrast = std::clamp(contrast, -kInputLimit, kInputLimit);
    const double h = 1.0 + contrast * 0.003;
    const double o = 1.0 + saturation * (saturation < 0 ? 0.005 : 0.01);
    // Each output is h times the luminance plus o times the channel's own
    // difference from it.
    for (int out = 0; out < 3; ++out)
        for (int in = 0; in < 3; ++in)
            coef[out][in] = Fixed(kLuma[in] * (h - o) + (in == out ? o : 0.0));
    offset = Fixed((1.0 - h) * 255.0 + brightness * 0.5);
}

void CColourMatrix::Apply(CImage8 &img) const {
    const size_t n = img.samples.size();
    uint8_t *p = img.samples.data();
    for (size_t i = 0; i + 2 < n; i += 3) {
        // Inputs widened by 257 (one byte to 16 bits), so the products and
        // the offset (16.16 in byte units, hence << 8) share the 2^24 scale.
        const int64_t rgb[3] = {p[i + 2] * 257, p[i + 1] * 257, p[i] * 257};
        int out[3];
        for (int c = 0; c < 3; ++c) {
            const int64_t acc = coef[c][0] * rgb[0] + coef[c][1] * rgb[1] + coef[c][2] * rgb[2] +
                                int64_t{offset} * 256;
            out[c] = static_cast<int>(std::clamp<int64_t>(acc >> 24, 0, 255));
        }
        p[i + 2] = static_cast<uint8_t>(out[0]);
        p[i + 1] = static_cast<uint8_t>(out[1]);
        p[i] = static_cast<uint8_t>(out[2]);
    }
}

}  // namespace corvcolor
