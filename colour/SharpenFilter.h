#pragma once

#include "Isa.h"
#include "WorkImage.h"
#include "corvcolor.h"

#include <array>
#include <cstddef>
#include <vector>

namespace corvcolor {

// The five off-centre weights of the 5 x 5 kernel, in thousandths, by the
// place they take in each quadrant: b at distance 1 on an axis, c on the
// first diagonal, d at distance 2 on an axis, a at the eight (2, 1) places,
// e at the corners.
struct CKernelWeights {
    int a;
    int b;
    int c;
    int d;
    int e;
    // Makes the kernel sum exactly 1000, so flat areas pass unchanged.
    int Centre() const { return 4 * (250 - 2 * a - b - c - d - e); }
};

// Filter-design parameters of one table entry, in thousandths.
struct CFilterDesign {
    int gain;      // > 0 sharpens, < 0 smooths
    int halfResp;  // prototype low-pass response at half the Nyquist frequency
    int nyqResp;   // prototype low-pass response at the Nyquist frequency
    int plusMix;   // share of the axis-only ("plus"-shaped) low-pass
};

class CSharpenFilter {
public:
    // Instruction sets the row filter's inner loop is built for.
    using CIsa = corvcolor::CIsa;
    static CIsa BestIsa() { return corvcolor::BestIsa(); }

    // The filter one row at a time: the w pixels from column offX of a
    // widened image wideWidth pixels wide, whose edge columns repeat.
    class CRowFilter {
    public:
        CRowFilter(const CSharpenFilter &f, int wideWidth, int channels, int offX, int w,
                   CIsa isa = BestIsa());
        // rows: the five rows of the widened image from two above the output
        // row to two below (the edge rows repeated where the image ends).
        void Run(const uint16_t *const rows[5], uint16_t *out);

    private:
        using Pass = void (*)(const CKernelWeights &, ptrdiff_t, const int16_t *, const int16_t *,
                              const int16_t *, ptrdiff_t, uint16_t *);

        CKernelWeights w_;
        Pass horizontal_;
        int channels_;
        ptrdiff_t samples_;
        // Padded columns [to, to + count) come from columns [from, from +
        // count) of the widened image.
        struct CSpan {
            size_t to, from, count;
        };
        std::vector<CSpan> runs_;
        std::vector<int16_t> sums_[3];
    };

    static constexpr int kStrengths = 5;
    static constexpr int kFamilies = 4;

    static bool IsRequested(const SC_PREVIEWPARAM &p);
    static CSharpenFilter FromParam(const SC_PREVIEWPARAM &p);
    static const CFilterDesign &Entry(int family, int strength);
    static CKernelWeights Design(const CFilterDesign &entry);

    explicit CSharpenFilter(const CKernelWeights &w);

    const CKernelWeights &Weights() const { return weights_; }
    // Weight at offset (dx, dy), both -2..2, in thousandths.
    int Weight(int dx, int dy) const { return kernel_[dy + 2][dx + 2]; }

    // Filters the area of `wide` that starts at (offX, offY) and measures
    // w x h; samples beyond `wide` repeat its edge.
    CWork12 Apply(const CWork12 &wide, int offX, int offY, int w, int h) const;

private:
    CKernelWeights weights_;
    std::array<std::array<int, 5>, 5> kernel_{};
};

}  // namespace corvcolor
