#include "BandConverter.h"

#include "ComImage.h"
#include "ImageError.h"
#include "SystemDither.h"

namespace corv {

CBandConverter::CBandConverter(int colourKind, int method, const Palette *palette)
    : m_kind(colourKind) {
    if (colourKind == kKindBilevel)
        m_dither = CreateBilevelDither(method);
    else if (colourKind == kKindPalette4 || colourKind == kKindPalette8)
        m_dither = CreatePaletteDither(method);
    if (!m_dither)
        RaiseImageError(kErrInvalidArg);
    const size_t most = colourKind == kKindPalette4 ? 16 : 256;
    if (palette) {
        if (palette->empty() || palette->size() > most)
            RaiseImageError(kErrInvalidArg);
        m_palette = *palette;
    }
    if (const Palette *fixed = m_dither->FixedPalette())
        m_palette = *fixed;
    m_dither->Prepare();
}

void CBandConverter::ChoosePalette(const ImageBand &source) {
    m_paletteReady = true;
    if (m_palette.empty()) {
        const bool gray = source.colourKind == kKindBilevel || source.colourKind == kKindGray4 ||
                          source.colourKind == kKindGray8;
        // Sixteen grays are what a 16-level dither of a gray page can reach.
        m_palette = gray ? GrayRamp(16) : CSystemDither::SystemPalette();
    }
    if (m_palette == CSystemDither::SystemPalette()) {
        m_lookup = CSystemDither::SystemLookup();
        return;
    }
    BuildColourLookup(m_palette, m_ownLookup);
    m_lookup = m_ownLookup;
}

void CBandConverter::Convert(const ImageBand &source, ImageBand &target) {
    const int width = source.right - source.left;
    const int rows = source.bottom - source.top;
    target.Shape(m_kind, width, source.imageHeight, rows);
    target.top = source.top;
    target.bottom = source.bottom;
    target.left = source.left;
    target.right = source.right;
    if (m_kind == kKindBilevel) {
        target.palette.clear();
        m_dither->DitherToBilevel(source, target.Data(), target.bytesPerRow);
        return;
    }
    if (!m_paletteReady)
        ChoosePalette(source);
    target.palette = m_palette;
    m_indices.resize(size_t(width) * size_t(rows) + 1);
    m_dither->DitherToPalette(source, m_indices.data(), width, m_lookup, m_palette);
    for (int y = 0; y < rows; ++y) {
        const uint8_t *in = &m_indices[size_t(y) * size_t(width)];
        uint8_t *out = target.Data() + size_t(y) * size_t(target.bytesPerRow);
        if (m_kind == kKindPalette8) {
            std::copy(in, in + width, out);
            continue;
        }
        for (int x = 0; x < width; x += 2) {
            const int high = in[x] & 15, low = x + 1 < width ? in[x + 1] & 15 : 0;
            out[x / 2] = static_cast<uint8_t>(high << 4 | low);
        }
    }
}

}  // namespace corv
