#pragma once
// CJpegColorConverter: splits one source row into the component planes of
// the encoder (RGB -> YCbCr for three components unless the samples are to
// stay RGB, copies otherwise) and
// repeats the last column into the padding up to the MCU-aligned width.
#include <cstdint>

namespace corv {

class CJpegColorConverter {
public:
    // components: 1 (gray), 3 (RGB in, YCbCr out when `toYCbCr`) or 4
    // (copied as they are).
    CJpegColorConverter(int components, bool toYCbCr, int width, int paddedWidth);

    // `out[c]` receives paddedWidth samples of component c.
    void ConvertRow(const uint8_t *pixels, uint8_t *const *out) const;

    // The table-driven RGB -> YCbCr conversion of `width` pixels; every
    // faster kernel gives the same samples.
    static void ConvertRgbPlain(const uint8_t *pixels, int width, uint8_t *y, uint8_t *cb,
                                uint8_t *cr);

private:
    int m_components;
    bool m_toYCbCr;
    int m_width;
    int m_paddedWidth;
};

}  // namespace corv
