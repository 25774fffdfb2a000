#include "OrderedDither.h"

#include "ImageError.h"

#include <algorithm>

namespace corv {
namespace {

// clang-format off
const uint8_t kMatrix1[] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};
const uint8_t kMatrix2[] = {10, 4, 6, 8, 12, 0, 2, 14, 7, 9, 11, 5, 3, 15, 13, 1};
const uint8_t kMatrix3[] = {13, 7, 6, 12, 8, 1, 0, 5, 9, 2, 3, 4, 14, 10, 11, 15};
const uint8_t kMatrix4[] = {15, 4, 8, 12, 11, 0, 1, 5, 7, 3, 2, 9, 14, 10, 6, 13};
const uint8_t kMatrix5[] = {1, 7, 10, 16, 12, 14, 3, 5, 8, 2, 15, 9, 13, 11, 6, 4};
const uint8_t kMatrix9[] = {
    24, 16,  8, 30, 34, 44, 52, 36,
    10,  0,  2, 22, 50, 62, 60, 46,
    18,  6,  4, 14, 42, 56, 58, 54,
    26, 12, 20, 28, 32, 48, 40, 38,
    35, 43, 53, 37, 25, 17,  9, 31,
    51, 63, 61, 47, 11,  1,  3, 23,
    43, 57, 59, 55, 19,  7,  5, 15,
    33, 49, 41, 39, 27, 13, 21, 29};
const uint8_t kMatrix8[] = {
    31, 27, 23, 17, 17, 23, 27, 31, 34, 38, 42, 46, 46, 42, 38, 34,
    29, 21, 13,  9,  9, 13, 21, 29, 36, 43, 49, 54, 54, 49, 43, 36,
    24, 15,  7,  3,  3,  7, 15, 24, 40, 51, 58, 60, 60, 58, 51, 40,
    18, 10,  4,  2,  0,  4, 10, 18, 45, 53, 59, 63, 63, 59, 53, 45,
    20, 12,  6,  2,  1,  6, 12, 20, 47, 55, 61, 63, 63, 61, 55, 47,
    26, 16,  8,  5,  5,  8, 16, 26, 39, 52, 57, 62, 62, 57, 52, 39,
    30, 22, 14, 11, 11, 14, 22, 30, 35, 44, 50, 56, 56, 50, 44, 35,
    32, 28, 25, 19, 19, 25, 28, 32, 33, 37, 41, 48, 48, 41, 37, 33,
    34, 38, 42, 46, 46, 42, 38, 34, 31, 27, 23, 17, 17, 23, 27, 31,
    36, 43, 49, 54, 54, 49, 43, 36, 29, 21, 13,  9,  9, 13, 21, 29,
    40, 51, 58, 60, 60, 58, 51, 40, 24, 15,  7,  3,  3,  7, 15, 24,
    45, 53, 59, 63, 63, 59, 53, 45, 18, 10,  4,  2,  0,  4, 10, 18,
    47, 55, 61, 63, 63, 61, 55, 47, 20, 12,  6,  2,  1,  6, 12, 20,
    39, 52, 57, 62, 62, 57, 52, 39, 26, 16,  8,  5,  5,  8, 16, 26,
    35, 44, 50, 56, 56, 50, 44, 35, 30, 22, 14, 11, 11, 14, 22, 30,
    33, 37, 41, 48, 48, 41, 37, 33, 32, 28, 25, 19, 19, 25, 28, 32};
// clang-format on

const DitherMatrix kMatrices[] = {
    {1, 4, 15, kMatrix1}, {2, 4, 15, kMatrix2},  {3, 4, 15, kMatrix3}, {4, 4, 15, kMatrix4},
    {5, 4, 16, kMatrix5}, {8, 16, 63, kMatrix8}, {9, 8, 63, kMatrix9},
};

}  // namespace

const DitherMatrix *FindDitherMatrix(int code) {
    for (const DitherMatrix &m : kMatrices)
        if (m.code == code)
            return &m;
    return nullptr;
}

COrderedDither::COrderedDither(int code) : m_matrix(FindDitherMatrix(code)) {
    if (!m_matrix)
        RaiseImageError(kErrInvalidArg);
}

void COrderedDither::Prepare() {
    const size_t cells = size_t(m_matrix->size) * size_t(m_matrix->size);
    // Each cell's threshold is the middle of its rank's step among the
    // cells, t = floor((rank + 0.5) * 256 / cells + 0.5), ranks in level
    // order and equal levels in reading order. Thresholds at the bottom of
    // each level's step (floor(m * 256 / (max + 1) + 0.5)) would put white
    // dots into solid black wherever m is 0 and lighten every grey by half a
    // step; and code 8 holds levels 0 and 1 twice but 63 eight times, which
    // level-based thresholds would turn into darker mid-tones.
    std::vector<size_t> order(cells);
    for (size_t i = 0; i < cells; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return m_matrix->levels[a] < m_matrix->levels[b]; });
    m_thresholds.resize(cells);
    for (size_t rank = 0; rank < cells; ++rank)
        m_thresholds[order[rank]] = static_cast<uint8_t>(
            std::min<size_t>(255, ((2 * rank + 1) * 256 + cells) / (2 * cells)));
}

void COrderedDither::DitherToBilevel(const ImageBand &band, uint8_t *out, int outputRowBytes) {
    if (m_thresholds.empty())
        Prepare();
    BitsFromLuminance(band, out, outputRowBytes,
                      [&](int lum, int x, int y) { return lum >= Threshold(y, x); });
}

void COrderedDither::DitherToPalette(const ImageBand &band, uint8_t *out, int outputRowBytes,
                                     const uint8_t *lookup, const Palette &) {
    if (m_thresholds.empty())
        Prepare();
    IndicesFromRgb(band, out, outputRowBytes, [&](const uint8_t *rgb, int x, int y) {
        // The threshold scaled from 0..255 to the 17 values between levels.
        const int t = Threshold(y, x) * 17 / 256;
        int q[3];
        for (int c = 0; c < 3; ++c)
            q[c] = rgb[c] / 17 + (t < rgb[c] % 17 ? 1 : 0);
        return lookup[LookupIndex(q[0], q[1], q[2])];
    });
}

}  // namespace corv
