#include "ErrorDiffusionDither.h"

#include "ImageError.h"

#include <algorithm>
#include <cstdlib>

namespace corv {
namespace {

const DiffusionKernel kKernels[] = {
    {100, 16, 4, {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}},
    {101,
     48,
     12,
     {{1, 0, 7},
      {2, 0, 5},
      {-2, 1, 3},
      {-1, 1, 5},
      {0, 1, 7},
      {1, 1, 5},
      {2, 1, 3},
      {-2, 2, 1},
      {-1, 2, 3},
      {0, 2, 5},
      {1, 2, 3},
      {2, 2, 1}}},
    {102,
     42,
     12,
     {{1, 0, 8},
      {2, 0, 4},
      {-2, 1, 2},
      {-1, 1, 4},
      {0, 1, 8},
      {1, 1, 4},
      {2, 1, 2},
      {-2, 2, 1},
      {-1, 2, 2},
      {0, 2, 4},
      {1, 2, 2},
      {2, 2, 1}}},
};

}  // namespace

const DiffusionKernel *FindDiffusionKernel(int code) {
    for (const DiffusionKernel &k : kKernels)
        if (k.code == code)
            return &k;
    return nullptr;
}

CErrorDiffusionDither::CErrorDiffusionDither(int code) : m_kernel(FindDiffusionKernel(code)) {
    if (!m_kernel)
        RaiseImageError(kErrInvalidArg);
    for (int t = 0; t < m_kernel->taps; ++t)
        m_depth = std::max(m_depth, m_kernel->tap[t].dy);
}

void CErrorDiffusionDither::Prepare() {
    m_shares.resize(256 * size_t(m_kernel->taps));
    for (int e = 0; e < 256; ++e)
        for (int t = 0; t < m_kernel->taps; ++t)
            m_shares[size_t(e) * size_t(m_kernel->taps) + size_t(t)] =
                e * m_kernel->tap[t].weight / m_kernel->divisor;
}

size_t CErrorDiffusionDither::Load(const ImageBand &band, int channels) {
    if (m_shares.empty())
        Prepare();
    const int width = band.right - band.left;
    const size_t stride = (size_t(width) + 2 * kMargin) * size_t(channels);
    const int rows = band.bottom - band.top;
    m_work.assign(stride * size_t(rows + m_depth), 0);
    std::vector<uint8_t> pixels(size_t(width) * size_t(channels) + 3);
    for (int y = 0; y < rows; ++y) {
        if (channels == 1)
            LuminanceRow(band, band.top + y, pixels.data());
        else
            RgbRow(band, band.top + y, pixels.data());
        int32_t *row = &m_work[size_t(y) * stride + kMargin * size_t(channels)];
        for (size_t i = 0; i < size_t(width) * size_t(channels); ++i)
            row[i] = pixels[i];
    }
    // A band that starts the image, or does not follow the last one, starts
    // without carried errors.
    if (band.top != 0 && band.top == m_carryRow && m_carryStride == stride) {
        const size_t n = std::min(m_carry.size(), m_work.size());
        for (size_t i = 0; i < n; ++i)
            m_work[i] += m_carry[i];
    }
    return stride;
}

void CErrorDiffusionDither::Spread(size_t at, size_t stride, int channels, int channel, int error,
                                   bool tabled) {
    const int magnitude = std::min(std::abs(error), 255);
    for (int t = 0; t < m_kernel->taps; ++t) {
        const DiffusionTap &tap = m_kernel->tap[t];
        int share = tabled ? m_shares[size_t(magnitude) * size_t(m_kernel->taps) + size_t(t)]
                           : std::abs(error) * tap.weight / m_kernel->divisor;
        if (error < 0)
            share = -share;
        const auto target = static_cast<ptrdiff_t>(at) + tap.dy * static_cast<ptrdiff_t>(stride) +
                            tap.dx * channels + channel;
        m_work[size_t(target)] += share;
    }
}

void CErrorDiffusionDither::KeepCarry(const ImageBand &band, size_t stride) {
    const size_t rows = size_t(band.bottom - band.top);
    m_carry.assign(m_work.begin() + static_cast<ptrdiff_t>(rows * stride), m_work.end());
    m_carryRow = band.bottom;
    m_carryStride = stride;
}

void CErrorDiffusionDither::DitherToBilevel(const ImageBand &band, uint8_t *out,
                                            int outputRowBytes) {
    const size_t stride = Load(band, 1);
    const int width = band.right - band.left;
    for (int y = 0; y < band.bottom - band.top; ++y) {
        uint8_t *row = out + size_t(y) * size_t(outputRowBytes);
        for (int x = 0; x < width; ++x) {
            const size_t at = size_t(y) * stride + kMargin + size_t(x);
            const int value = m_work[at];
            // Above (levels - 1) / 2 = 127.5 goes to white.
            const int result = value >= 128 ? 255 : 0;
            PutBit(row, x, result >= 128);
            Spread(at, stride, 1, 0, value - result, true);
        }
    }
    KeepCarry(band, stride);
}

void CErrorDiffusionDither::DitherToPalette(const ImageBand &band, uint8_t *out, int outputRowBytes,
                                            const uint8_t *lookup, const Palette &palette) {
    if (palette.empty())
        RaiseImageError(kErrInvalidArg);
    const size_t stride = Load(band, 3);
    const int width = band.right - band.left;
    for (int y = 0; y < band.bottom - band.top; ++y) {
        uint8_t *row = out + size_t(y) * size_t(outputRowBytes);
        for (int x = 0; x < width; ++x) {
            const size_t at = size_t(y) * stride + (kMargin + size_t(x)) * 3;
            int v[3];
            for (int c = 0; c < 3; ++c)
                v[c] = std::clamp(m_work[at + size_t(c)], 0, 255);
            const uint8_t index = lookup[LookupIndex(v[0] >> 4, v[1] >> 4, v[2] >> 4)];
            const PaletteEntry e = palette[std::min(size_t(index), palette.size() - 1)];
            row[x] = index;
            const int colour[3] = {e.r, e.g, e.b};
            for (int c = 0; c < 3; ++c)
                Spread(at, stride, 3, c, m_work[at + size_t(c)] - colour[c], false);
        }
    }
    KeepCarry(band, stride);
}

}  // namespace corv
