#pragma once
// CBandConverter: the conversion behind CComImage::ConvertBand. It owns the
// dither of one method code and, for palette targets, the palette and its
// colour lookup, and keeps them from band to band.
#include "Dither.h"
#include "ImageBand.h"

#include <vector>

namespace corv {

class CBandConverter {
public:
    // `colourKind` 1, 4 or 5; otherwise, or for a method without a dither of
    // that target, kErrInvalidArg is raised.
    CBandConverter(int colourKind, int method, const Palette *palette);

    // `target` is shaped for the source's width and rows in the target kind.
    void Convert(const ImageBand &source, ImageBand &target);
    int TargetKind() const { return m_kind; }

private:
    void ChoosePalette(const ImageBand &source);

    int m_kind;
    DitherPtr m_dither;
    Palette m_palette;
    bool m_paletteReady = false;
    const uint8_t *m_lookup = nullptr;
    uint8_t m_ownLookup[kLookupSize] = {};
    std::vector<uint8_t> m_indices;
};

}  // namespace corv
