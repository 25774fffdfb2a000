#pragma once
// CColorQuantizer: builds a palette for an image from a 3-D histogram of
// its colours (32 cells per channel) with cumulative colour moments, so the
// count, sums and squared sums of any box come from eight-term
// inclusion-exclusion sums. The box with the largest variance is split
// where the two halves lose the most variance, until the palette is full.
#include "ImageBand.h"
#include "Palette.h"

#include <cstdint>
#include <vector>

namespace corv {

class CColorQuantizer {
public:
    CColorQuantizer();

    void AddBand(const ImageBand &band);
    void AddRgb(const uint8_t *rgb, size_t pixels);
    // At most `colours` entries (1..256); fewer when the image has fewer
    // distinct histogram cells.
    Palette BuildPalette(int colours);

private:
    struct Box {
        int lo[3], hi[3];  // lo exclusive, hi inclusive
    };
    static constexpr int kSide = 33;
    static size_t Index(int r, int g, int b) { return (size_t(r) * kSide + g) * kSide + b; }
    void Accumulate();
    template <typename T>
    T Volume(const Box &box, const std::vector<T> &m) const;
    double Variance(const Box &box) const;
    bool Cut(Box &a, Box &b) const;

    std::vector<int64_t> m_weight, m_r, m_g, m_b;
    std::vector<double> m_squares;
    bool m_accumulated = false;
};

}  // namespace corv
