#pragma once
// COrderedDither: thresholds from one of the library's fixed matrices,
// anchored to image coordinates so that bands join without seams. The
// thresholds follow the matrix's order of cells and are spread evenly over
// 0..255, so that a dithered grey keeps its average.
#include "Dither.h"

#include <vector>

namespace corv {

struct DitherMatrix {
    int code;
    int size;  // rows = columns
    int max;   // the largest level
    const uint8_t *levels;
};

// The matrix of a method code, or nullptr (codes 6 and 7 have none).
const DitherMatrix *FindDitherMatrix(int code);

class COrderedDither : public CDither {
public:
    explicit COrderedDither(int code);

    void Prepare() override;
    void DitherToBilevel(const ImageBand &band, uint8_t *out, int outputRowBytes) override;
    // Each channel to 16 levels with the same matrix, then the lookup.
    void DitherToPalette(const ImageBand &band, uint8_t *out, int outputRowBytes,
                         const uint8_t *lookup, const Palette &palette) override;

    int Threshold(int row, int column) const {
        return m_thresholds[size_t(row % m_matrix->size) * size_t(m_matrix->size) +
                            size_t(column % m_matrix->size)];
    }

private:
    const DitherMatrix *m_matrix;
    std::vector<uint8_t> m_thresholds;
};

}  // namespace corv
