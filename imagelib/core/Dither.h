#pragma once
// CDither: reduces gray and colour rows to bilevel or to palette indices.
// The method codes of the library choose the kind of dither:
//   1..5, 8, 9  ordered dither with the matrix of that code
//   100..102    error diffusion with the kernel of that code
//   200         ordered dither by levels (CColorDither)
//   300         error diffusion onto the system colours
// Palette targets take every ordered code (1..9, 200) as a 16-level
// CColorDither. Codes 6 and 7 have no matrix and are refused.
#include "ImageBand.h"
#include "Palette.h"

#include <cstdint>
#include <algorithm>
#include <memory>

namespace corv {

// Index into a 4096-entry colour lookup from the top four bits of R, G, B.
inline int LookupIndex(int r4, int g4, int b4) {
    return r4 << 8 | g4 << 4 | b4;
}
constexpr int kLookupSize = 4096;

class CDither {
public:
    CDither() = default;
    virtual ~CDither();
    CDither(const CDither &) = delete;
    CDither &operator=(const CDither &) = delete;

    virtual void Prepare() = 0;
    // Rows of `band` as bits (1 = white, most significant first), each row
    // `outputRowBytes` apart in `out`.
    virtual void DitherToBilevel(const ImageBand &band, uint8_t *out, int outputRowBytes) = 0;
    // Rows of `band` as one palette index per pixel. `lookup` gives the
    // nearest entry of `palette` for each 16-level R, G, B cell.
    virtual void DitherToPalette(const ImageBand &band, uint8_t *out, int outputRowBytes,
                                 const uint8_t *lookup, const Palette &palette) = 0;
    // The palette a dither always maps to, or nullptr when it takes the
    // caller's.
    virtual const Palette *FixedPalette() const { return nullptr; }

    // Row `y` of any colour kind as luminance, or as R, G, B triples.
    static void LuminanceRow(const ImageBand &band, int y, uint8_t *out);
    static void RgbRow(const ImageBand &band, int y, uint8_t *out);
    static void PutBit(uint8_t *row, int x, bool white) {
        const auto mask = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = white ? row[x >> 3] | mask : row[x >> 3] & ~mask;
    }

protected:
    // The row loops of the point dithers: `white(luminance, x, y)` decides
    // each bit, `index(rgb, x, y)` each palette index, x and y in image
    // coordinates.
    template <typename White>
    static void BitsFromLuminance(const ImageBand &band, uint8_t *out, int outputRowBytes,
                                  White white) {
        const int width = band.right - band.left;
        std::unique_ptr<uint8_t[]> lum(new uint8_t[size_t(width) + 1]);
        for (int y = band.top; y < band.bottom; ++y) {
            LuminanceRow(band, y, lum.get());
            uint8_t *row = out + size_t(y - band.top) * size_t(outputRowBytes);
            for (int x = 0; x < width; ++x)
                PutBit(row, x, white(lum[size_t(x)], band.left + x, y));
        }
    }
    template <typename Index>
    static void IndicesFromRgb(const ImageBand &band, uint8_t *out, int outputRowBytes,
                               Index index) {
        const int width = band.right - band.left;
        std::unique_ptr<uint8_t[]> rgb(new uint8_t[size_t(width) * 3 + 3]);
        for (int y = band.top; y < band.bottom; ++y) {
            RgbRow(band, y, rgb.get());
            uint8_t *row = out + size_t(y - band.top) * size_t(outputRowBytes);
            for (int x = 0; x < width; ++x)
                row[x] = index(&rgb[size_t(x) * 3], band.left + x, y);
        }
    }
};

using DitherPtr = std::unique_ptr<CDither>;

// The two factories; nullptr for a code without a dither of that target.
DitherPtr CreateBilevelDither(int method);
DitherPtr CreatePaletteDither(int method);

// The nearest entry of `palette` for every 16-level cell (level q stands
// for the value 17 q).
void BuildColourLookup(const Palette &palette, uint8_t lookup[kLookupSize]);

}  // namespace corv
