#include "ScaleRules.h"

#include "PreviewRules.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kMinorPerStep = 10;

int32_t TickLength(int32_t index, int32_t thickness) {
    if (index % kMinorPerStep == 0)
        return thickness;
    return index % kMinorPerStep == kMinorPerStep / 2 ? thickness / 2 : thickness / 4;
}

}  // namespace

double CScaleRules::PixelsPerUnit(int32_t dpi, ELengthUnit unit, int32_t zoom) {
    return CUnitConversion::PixelsPerUnit(dpi, unit) * CPreviewRules::ToScreen(8, zoom) / 8.0;
}

int32_t CScaleRules::LabelStep(double pixelsPerUnit) {
    if (!(pixelsPerUnit > 0))
        return 1;
    const double d = 4 / pixelsPerUnit;
    double step = 1;
    if (d >= 10)
        step = std::ceil(d / 10) * 100;
    else if (d >= 1)
        step = std::ceil(d) * 10;
    else if (d >= 0.1)
        step = std::ceil(40 / pixelsPerUnit);
    return static_cast<int32_t>(std::min(step, 1e9));
}

std::vector<SScaleTick> CScaleRules::Ticks(int32_t dpi, ELengthUnit unit, int32_t zoom,
                                           int32_t origin, int32_t length, int32_t thickness) {
    std::vector<SScaleTick> ticks;
    const double perUnit = PixelsPerUnit(dpi, unit, zoom);
    if (!(perUnit > 0) || length <= 0)
        return ticks;
    const int32_t step = LabelStep(perUnit);
    const double minor = step * perUnit / kMinorPerStep;  // screen pixels between ticks
    const double shift = CPreviewRules::ToScreen(origin, zoom);
    // Ticks scrolled off before the ruler's start are skipped, not walked.
    int64_t index = static_cast<int64_t>(std::max(0.0, std::floor(shift / minor)));
    for (;; ++index) {
        const double at = std::round(index * minor - shift);
        if (at > length)
            break;
        if (at < 0)
            continue;
        const int32_t i = static_cast<int32_t>(index % kMinorPerStep);
        ticks.push_back(
            {static_cast<int32_t>(at), TickLength(i, thickness), i == 0,
             static_cast<int32_t>(std::min<int64_t>(index / kMinorPerStep * step, INT32_MAX))});
    }
    return ticks;
}
