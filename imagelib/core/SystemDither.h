#pragma once
// CSystemDither: error diffusion onto the sixteen colours every display
// palette holds (black and white for bilevel output), whatever palette the
// caller offers.
#include "ErrorDiffusionDither.h"

namespace corv {

class CSystemDither : public CDither {
public:
    CSystemDither();

    void Prepare() override;
    void DitherToBilevel(const ImageBand &band, uint8_t *out, int outputRowBytes) override;
    void DitherToPalette(const ImageBand &band, uint8_t *out, int outputRowBytes,
                         const uint8_t *lookup, const Palette &palette) override;
    const Palette *FixedPalette() const override { return &SystemPalette(); }

    static const Palette &SystemPalette();
    // The nearest system colour of each lookup cell, built once.
    static const uint8_t *SystemLookup();

private:
    CErrorDiffusionDither m_diffusion;
};

}  // namespace corv
