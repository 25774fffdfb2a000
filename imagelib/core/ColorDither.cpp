#include "ColorDither.h"

#include "ImageError.h"

namespace corv {
namespace {

// The dispersed-dot order: each cell's neighbours come as late as possible.
constexpr int kBase[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

}  // namespace

CColorDither::CColorDither(int levels, int mode)
    : m_levels(levels), m_mode(mode), m_step(levels > 1 ? 255 / (levels - 1) : 0) {
    if (levels < 2 || levels > 256)
        RaiseImageError(kErrInvalidArg);
}

void CColorDither::Prepare() {
    for (int row = 0; row < 16; ++row)
        for (int column = 0; column < 16; ++column) {
            const int m = kBase[row % 4][column % 4] * 16 + kBase[row / 4][column / 4];
            m_thresholds[row][column] = m * m_step / 256;
        }
    m_prepared = true;
}

int CColorDither::Level(int v, int x, int y) const {
    const int q = v / m_step, r = v % m_step;
    const int level = m_thresholds[y & 15][x & 15] < r ? q + 1 : q;
    return level < m_levels ? level : m_levels - 1;
}

void CColorDither::DitherToBilevel(const ImageBand &band, uint8_t *out, int outputRowBytes) {
    if (!m_prepared)
        Prepare();
    BitsFromLuminance(band, out, outputRowBytes,
                      [&](int lum, int x, int y) { return Level(lum, x, y) >= m_levels / 2; });
}

void CColorDither::DitherToPalette(const ImageBand &band, uint8_t *out, int outputRowBytes,
                                   const uint8_t *lookup, const Palette &) {
    if (!m_prepared)
        Prepare();
    IndicesFromRgb(band, out, outputRowBytes, [&](const uint8_t *rgb, int x, int y) {
        int q[3];
        for (int c = 0; c < 3; ++c) {
            const int level = Level(rgb[c], x, y);
            // The lookup has 16 cells per channel.
            q[c] = m_levels == 16 ? level : level * 15 / (m_levels - 1);
        }
        return lookup[LookupIndex(q[0], q[1], q[2])];
    });
}

}  // namespace corv
