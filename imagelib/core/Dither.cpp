#include "Dither.h"

#include "ColorDither.h"
#include "ComImage.h"
#include "ErrorDiffusionDither.h"
#include "ImageError.h"
#include "OrderedDither.h"
#include "SystemDither.h"

namespace corv {

CDither::~CDither() = default;

void CDither::RgbRow(const ImageBand &band, int y, uint8_t *out) {
    const uint8_t *row = band.Row(y);
    const int width = band.right - band.left;
    auto put = [&](int x, uint8_t r, uint8_t g, uint8_t b) {
        out[3 * x] = r;
        out[3 * x + 1] = g;
        out[3 * x + 2] = b;
    };
    auto fromPalette = [&](int x, int index) {
        const PaletteEntry e =
            size_t(index) < band.palette.size() ? band.palette[size_t(index)] : PaletteEntry{};
        put(x, e.r, e.g, e.b);
    };
    for (int x = 0; x < width; ++x) {
        switch (band.colourKind) {
            case kKindBilevel: {
                const uint8_t v = (row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
                put(x, v, v, v);
                break;
            }
            case kKindGray4: {
                const int nibble = (row[x >> 1] >> (x & 1 ? 0 : 4)) & 15;
                const auto v = static_cast<uint8_t>(nibble * 17);
                put(x, v, v, v);
                break;
            }
            case kKindGray8:
                put(x, row[x], row[x], row[x]);
                break;
            case kKindPalette4:
                fromPalette(x, (row[x >> 1] >> (x & 1 ? 0 : 4)) & 15);
                break;
            case kKindPalette8:
                fromPalette(x, row[x]);
                break;
            case kKindColour16: {
                // 5:5:5 in a little-endian word, as a 16-bit DIB holds it.
                const int w = row[2 * x] | row[2 * x + 1] << 8;
                auto five = [](int v) { return static_cast<uint8_t>(v << 3 | v >> 2); };
                put(x, five(w >> 10 & 31), five(w >> 5 & 31), five(w & 31));
                break;
            }
            case kKindRgb24:
                put(x, row[3 * x], row[3 * x + 1], row[3 * x + 2]);
                break;
            case kKindFour32:
                put(x, row[4 * x], row[4 * x + 1], row[4 * x + 2]);
                break;
            default:
                RaiseImageError(kErrUnknownColourKind);
        }
    }
}

void CDither::LuminanceRow(const ImageBand &band, int y, uint8_t *out) {
    const int width = band.right - band.left;
    if (band.colourKind == kKindGray8) {
        const uint8_t *row = band.Row(y);
        std::copy(row, row + width, out);
        return;
    }
    std::unique_ptr<uint8_t[]> rgb(new uint8_t[size_t(width) * 3]);
    RgbRow(band, y, rgb.get());
    for (int x = 0; x < width; ++x)
        out[x] = Luminance(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]);
}

void BuildColourLookup(const Palette &palette, uint8_t lookup[kLookupSize]) {
    const PaletteEntry *entries = palette.data();
    const int count = static_cast<int>(palette.size());
    for (int cell = 0; cell < kLookupSize; ++cell) {
        const int r = (cell >> 8) * 17, g = (cell >> 4 & 15) * 17, b = (cell & 15) * 17;
        int best = 0, bestDistance = 1 << 30;
        for (int i = 0; i < count; ++i) {
            const int dr = entries[i].r - r, dg = entries[i].g - g, db = entries[i].b - b;
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        lookup[cell] = static_cast<uint8_t>(best);
    }
}

namespace {

bool IsOrderedCode(int method) {
    return (method >= 1 && method <= 5) || method == 8 || method == 9;
}
bool IsDiffusionCode(int method) {
    return method >= 100 && method <= 102;
}

}  // namespace

DitherPtr CreateBilevelDither(int method) {
    if (IsOrderedCode(method))
        return std::make_unique<COrderedDither>(method);
    if (IsDiffusionCode(method))
        return std::make_unique<CErrorDiffusionDither>(method);
    if (method == 200)
        return std::make_unique<CColorDither>(2, CColorDither::kModeBilevel);
    if (method == 300)
        return std::make_unique<CSystemDither>();
    return nullptr;
}

DitherPtr CreatePaletteDither(int method) {
    // The levels dither needs no matrix of the code, so 6 and 7 serve here.
    if ((method >= 1 && method <= 9) || method == 200)
        return std::make_unique<CColorDither>(16, CColorDither::kModeColour);
    if (IsDiffusionCode(method))
        return std::make_unique<CErrorDiffusionDither>(method);
    if (method == 300)
        return std::make_unique<CSystemDither>();
    return nullptr;
}

}  // namespace corv
