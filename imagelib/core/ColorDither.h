#pragma once
// CColorDither: an ordered dither to a number of levels per channel, with a
// 16 x 16 threshold matrix grown from a 4 x 4 base. Bilevel mode splits the
// gray levels at half; colour mode looks the three channel levels up in a
// colour table.
#include "Dither.h"

namespace corv {

class CColorDither : public CDither {
public:
    enum : int { kModeColour = 0, kModeBilevel = 1 };

    CColorDither(int levels, int mode);

    void Prepare() override;
    void DitherToBilevel(const ImageBand &band, uint8_t *out, int outputRowBytes) override;
    void DitherToPalette(const ImageBand &band, uint8_t *out, int outputRowBytes,
                         const uint8_t *lookup, const Palette &palette) override;

    // The level of value `v` at image position (x, y).
    int Level(int v, int x, int y) const;
    int Mode() const { return m_mode; }

private:
    int m_levels;
    int m_mode;
    int m_step;
    int m_thresholds[16][16] = {};
    bool m_prepared = false;
};

}  // namespace corv
