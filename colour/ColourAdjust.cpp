#include "ColourAdjust.h"

#include "ToneTable.h"

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
    FoldTone(nullptr);
}

void CColourAdjust::FoldTone(const CToneTable *tone) {
    light_.resize(kMax12 + 1);
    cosPart_.resize(kMax12 + 1);
    sinPart_.resize(kMax12 + 1);
    for (int n = 0; n <= kMax12; ++n) {
        const int32_t v = tone != nullptr ? (*tone)[static_cast<uint16_t>(n)] : n;
        light_[n] = Scaled12(lightCoef * v);
        cosPart_[n] = cosCoef * (v - kChromaCentre);
        sinPart_[n] = sinCoef * (v - kChromaCentre);
    }
}

}  // namespace corvcolor
