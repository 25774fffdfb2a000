#include "ColourAdjust.h"

#include "BitDepth.h"

#include <algorithm>
#include <cmath>

namespace corvcolor {
namespace {

// Inputs beyond +-1000 only push the factors further past where everything
// clamps; the limit keeps the coefficients well inside int range.
constexpr int kInputLimit = 1000;
constexpr double kRadiansPerHueUnit = 0.0034906585;  // 0.2 degree

int Coef(double v) {
    return static_cast<int>(std::lround(v * CColourAdjust::kScale));
}

// Rounded division by kScale, clamped to 12 bits. Anything below zero ends
// as 0 whichever way it rounds, so only the positive side needs rounding.
// With the inputs limited, |coefficient| <= 40000 and |sample| <= 4095, so
// every sum stays far inside 32 bits.
uint16_t Scaled12(int32_t v) {
    const int32_t q = (std::max(v, 0) + CColourAdjust::kScale / 2) / CColourAdjust::kScale;
    return static_cast<uint16_t>(std::min(q, kMax12));
}

}  // namespace

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
}

void CColourAdjust::Apply(CWork12 &img) const {
    const int32_t centre = kChromaCentre * kScale;
    uint16_t *p = img.samples.data();
    const size_t n = img.samples.size();
    for (size_t i = 0; i + 2 < n; i += 3) {
        const int32_t d1 = p[i + 1] - kChromaCentre;
        const int32_t d2 = p[i + 2] - kChromaCentre;
        p[i] = Scaled12(lightCoef * p[i]);
        p[i + 1] = Scaled12(centre + cosCoef * d1 - sinCoef * d2);
        p[i + 2] = Scaled12(centre + sinCoef * d1 + cosCoef * d2);
    }
}

}  // namespace corvcolor
