#include "ColourAdjust.h"

#include "ToneTable.h"

#include <algorithm>
#include <cmath>

namespace corvcolor {
namespace {

// Inputs beyond +-1000 only push the factors further past where everything
// clamps; the limit keeps the coefficients well inside int range.
constexpr int kInputLimit = 1000;
constexpr double kRadiansPerHueUnit = 0.0034906585;  // 0.2 degree

constexpr int32_t kCentreScaled = CColourAdjust::kChromaCentre * CColourAdjust::kScale;

int Coef(double v) {
    return static_cast<int>(std::lround(v * CColourAdjust::kScale));
}

// Rounded division by kScale, clamped to 12 bits. Anything below zero ends
// as 0 whichever way it rounds, so only the positive side needs rounding.
// With the inputs limited, |coefficient| <= 40000 and |sample| <= 4095, so
// every sum stays far inside 32 bits.
int32_t Scaled12(int32_t v) {
    return std::min((std::max(v, 0) + CColourAdjust::kScale / 2) / CColourAdjust::kScale, kMax12);
}

}  // namespace

// Scaled12(v) >> 4 in one division: floor(floor(x / 10000) / 16) is
// floor(x / 160000). Clamping the dividend instead of the quotient, and a
// sign mask in place of a comparison, keep noisy images free of
// mispredicted branches.
uint8_t CColourAdjust::Scaled8(int32_t v) {
    constexpr uint32_t kDivisor = 16u * kScale;
    constexpr uint32_t kWhite = 255 * kDivisor - kScale / 2;
    const uint32_t positive = static_cast<uint32_t>(v & ~(v >> 31));
    return static_cast<uint8_t>((std::min(positive, kWhite) + kScale / 2) / kDivisor);
}

bool CColourAdjust::IsRequested(const SC_PREVIEWPARAM &p) {
    return p.adjust1 != 0 || p.adjust2 != 0 || p.adjust3 != 0;
}

CColourAdjust::CColourAdjust(int hue, int saturation, int lightness) {
    hue = std::clamp(hue, -kInputLimit, kInputLimit);
    saturation = std::clamp(saturation, -kInputLimit, kInputLimit);
    lightness = std::clamp(lightness, -kInputLimit, kInputLimit);
    const double k = 1.0 + lightness * 0.002;
    const double s = 1.0 + saturation * (saturation < 0 ? 0.002 : 0.003);
    const double angle = hue * kRadiansPerHueUnit;
    lightCoef = Coef(k);
    cosCoef = Coef(s * std::cos(angle));
    sinCoef = Coef(s * std::sin(angle));
    FoldTone(nullptr);
}

void CColourAdjust::FoldTone(const CToneTable *tone) {
    light_.assign(kMax12 + 1 + 3, 0);
    chroma_.resize(kMax12 + 1);
    for (int n = 0; n <= kMax12; ++n) {
        const int32_t v = tone != nullptr ? (*tone)[static_cast<uint16_t>(n)] : n;
        light_[n] = static_cast<uint8_t>(Scaled12(lightCoef * v) >> 4);
        chroma_[n] = v - kChromaCentre;
    }
}

void CColourAdjust::ApplyRow(const uint16_t *row, const size_t *offsets, size_t count,
                             uint8_t *ycc) const {
    // Table pointers in locals: the byte stores could alias the vectors.
    const uint8_t *light = light_.data();
    const int32_t *chroma = chroma_.data();
    const int32_t c = cosCoef, s = sinCoef;
    for (size_t x = 0; x < count; ++x) {
        const uint16_t *in = row + offsets[x];
        uint8_t *out = ycc + 3 * x;
        const int32_t cb = chroma[in[1]], cr = chroma[in[2]];
        out[0] = light[in[0]];
        out[1] = Scaled8(kCentreScaled + c * cb - s * cr);
        out[2] = Scaled8(kCentreScaled + s * cb + c * cr);
    }
}

}  // namespace corvcolor
