#include "SystemDither.h"

namespace corv {

CSystemDither::CSystemDither() : m_diffusion(100) {}

const Palette &CSystemDither::SystemPalette() {
    static const Palette kColours = {
        {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
        {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
        {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
        {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
    };
    return kColours;
}

const uint8_t *CSystemDither::SystemLookup() {
    static const struct Lookup {
        uint8_t cells[kLookupSize];
        Lookup() { BuildColourLookup(SystemPalette(), cells); }
    } kLookup;
    return kLookup.cells;
}

void CSystemDither::Prepare() {
    m_diffusion.Prepare();
}

void CSystemDither::DitherToBilevel(const ImageBand &band, uint8_t *out, int outputRowBytes) {
    m_diffusion.DitherToBilevel(band, out, outputRowBytes);
}

void CSystemDither::DitherToPalette(const ImageBand &band, uint8_t *out, int outputRowBytes,
                                    const uint8_t *, const Palette &) {
    m_diffusion.DitherToPalette(band, out, outputRowBytes, SystemLookup(), SystemPalette());
}

}  // namespace corv
