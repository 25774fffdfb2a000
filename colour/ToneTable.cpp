#include "ToneTable.h"

#include "BitDepth.h"

#include <algorithm>
#include <cmath>

namespace corvcolor {
namespace {

uint16_t Clamp12(double v) {
    return static_cast<uint16_t>(std::lround(std::clamp(v, 0.0, static_cast<double>(kMax12))));
}

}  // namespace

bool CToneTable::IsRequested(const SC_PREVIEWPARAM &p) {
    return p.gamma != kNeutralGamma || p.highlight != kNeutralHighlight ||
           p.shadow != kNeutralShadow;
}

bool CToneTable::IsValid(const SC_PREVIEWPARAM &p) {
    return p.gamma > 0 && p.shadow != p.highlight;
}

CToneTable::CToneTable(const SC_PREVIEWPARAM &p, int contrast) {
    const bool tone = IsRequested(p);
    const double lo = 4096.0 * p.shadow / 255.0;
    const double hi = 4096.0 * p.highlight / 255.0;
    const double exponent = p.gamma / static_cast<double>(kNeutralGamma);
    const double factor = 1.0 + std::clamp(contrast, -1000, 1000) * 0.002;
    for (int n = 0; n <= kMax12; ++n) {
        uint16_t v = static_cast<uint16_t>(n);
        if (tone) {
            v = Clamp12(4096.0 * (n - lo) / (hi - lo));
            v = Clamp12(4096.0 * std::pow(v / 4096.0, exponent));
        }
        if (contrast != 0)
            v = Clamp12(v * factor);
        table_[n] = v;
    }
}

}  // namespace corvcolor
