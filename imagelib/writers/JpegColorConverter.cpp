#include "JpegColorConverter.h"

#include "JpegKernels.h"
#include "JpegLibrary.h"

#include <cstring>

namespace corv {

CJpegColorConverter::CJpegColorConverter(int components, bool toYCbCr, int width, int paddedWidth)
    : m_components(components),
      m_toYCbCr(toYCbCr && components == 3),
      m_width(width),
      m_paddedWidth(paddedWidth) {}

namespace {

// The vector kernel takes whole groups of pixels; the plain code the rest.
void ConvertRgbAvx2(const uint8_t *pixels, int width, uint8_t *y, uint8_t *cb, uint8_t *cr) {
    const int done = JpegConvertRgbAvx2(pixels, width, y, cb, cr);
    CJpegColorConverter::ConvertRgbPlain(pixels + 3 * done, width - done, y + done, cb + done,
                                         cr + done);
}

using RgbKernel = void (*)(const uint8_t *, int, uint8_t *, uint8_t *, uint8_t *);

}  // namespace

void CJpegColorConverter::ConvertRgbPlain(const uint8_t *pixels, int width, uint8_t *y, uint8_t *cb,
                                          uint8_t *cr) {
    const JpegColourTables &t = CJpegLibrary::Colour();
    for (int x = 0; x < width; ++x, pixels += 3) {
        const int r = pixels[0], g = pixels[1], b = pixels[2];
        // Every component rounds: Y's table carries the half, Cb's and Cr's
        // centre one less than it, which keeps both inside 0..255.
        y[x] = static_cast<uint8_t>((t.rY[r] + t.gY[g] + t.bY[b]) >> 16);
        cb[x] = static_cast<uint8_t>((t.rCb[r] + t.gCb[g] + t.plusHalfCentre[b]) >> 16);
        cr[x] = static_cast<uint8_t>((t.plusHalfCentre[r] + t.gCr[g] + t.bCr[b]) >> 16);
    }
}

void CJpegColorConverter::ConvertRow(const uint8_t *pixels, uint8_t *const *out) const {
    if (m_components == 1) {
        std::memcpy(out[0], pixels, static_cast<size_t>(m_width));
    } else if (m_toYCbCr) {
        static const RgbKernel kernel = JpegCpuHasAvx2() ? ConvertRgbAvx2 : ConvertRgbPlain;
        kernel(pixels, m_width, out[0], out[1], out[2]);
    } else {
        for (int x = 0; x < m_width; ++x)
            for (int c = 0; c < m_components; ++c)
                out[c][x] = pixels[x * m_components + c];
    }
    for (int c = 0; c < m_components; ++c)
        std::memset(out[c] + m_width, out[c][m_width - 1],
                    static_cast<size_t>(m_paddedWidth - m_width));
}

}  // namespace corv
