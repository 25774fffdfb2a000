#pragma once
// CErrorDiffusionDither: spreads each pixel's quantisation error over the
// pixels after it with one of the library's three kernels. Errors that
// fall below a band are carried into the next band, so a page dithered
// band by band equals the page dithered at once.
#include "Dither.h"

#include <vector>

namespace corv {

struct DiffusionTap {
    int dx, dy, weight;
};

struct DiffusionKernel {
    int code;
    int divisor;
    int taps;
    DiffusionTap tap[12];
};

// The kernel of a method code (100, 101, 102), or nullptr.
const DiffusionKernel *FindDiffusionKernel(int code);

class CErrorDiffusionDither : public CDither {
public:
    explicit CErrorDiffusionDither(int code);

    void Prepare() override;
    void DitherToBilevel(const ImageBand &band, uint8_t *out, int outputRowBytes) override;
    void DitherToPalette(const ImageBand &band, uint8_t *out, int outputRowBytes,
                         const uint8_t *lookup, const Palette &palette) override;

private:
    static constexpr int kMargin = 2;

    // Loads the band's values (1 or 3 channels) into the work rows with the
    // carry of the band above added; returns the row stride in values.
    size_t Load(const ImageBand &band, int channels);
    void Spread(size_t at, size_t stride, int channels, int channel, int error, bool tabled);
    void KeepCarry(const ImageBand &band, size_t stride);

    const DiffusionKernel *m_kernel;
    int m_depth = 0;
    std::vector<int32_t> m_shares;  // [|error| 0..255][tap]
    std::vector<int32_t> m_work;
    std::vector<int32_t> m_carry;
    int m_carryRow = -1;
    size_t m_carryStride = 0;
};

}  // namespace corv
