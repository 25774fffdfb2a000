#include "Palette.h"

namespace corv {

Palette GrayRamp(int count) {
    Palette p(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto v = static_cast<uint8_t>(count > 1 ? i * 255 / (count - 1) : 0);
        p[size_t(i)] = {v, v, v};
    }
    return p;
}

bool IsGrayRamp(const Palette &palette, int count) {
    return palette.size() == size_t(count) && palette == GrayRamp(count);
}

}  // namespace corv
