#include "SharpenFilter.h"

#include "BitDepth.h"

#include <algorithm>
#include <cmath>

namespace corvcolor {
namespace {

// Families by the two switches: 0 neither (general sharpening), 1 switch 1
// (fine detail: a narrower low-pass, so the boost sits nearer the Nyquist
// frequency), 2 switch 2 (smoothing), 3 both (halftone smoothing that keeps
// mid frequencies). Within a family the strength only scales the gain, so
// 0..4 runs from mild to strong.
constexpr CFilterDesign kDesignTable[CSharpenFilter::kFamilies][CSharpenFilter::kStrengths] = {
    {{250, 250, 0, 0}, {500, 250, 0, 0}, {900, 250, 0, 0}, {1400, 250, 0, 0}, {2000, 250, 0, 0}},
    {{250, 600, 0, 500},
     {500, 600, 0, 500},
     {900, 600, 0, 500},
     {1400, 600, 0, 500},
     {2000, 600, 0, 500}},
    {{-150, 250, 0, 0}, {-300, 250, 0, 0}, {-500, 250, 0, 0}, {-700, 250, 0, 0}, {-900, 250, 0, 0}},
    {{-150, 750, 0, 0}, {-300, 750, 0, 0}, {-500, 750, 0, 0}, {-700, 750, 0, 0}, {-900, 750, 0, 0}},
};

constexpr int kDefaultStrength = 2;

int Thousandths(double v) {
    return static_cast<int>(std::lround(v * 1000.0));
}

// The vertical half of the filter: n samples of the five rows from column
// x on, as the row itself (s0) and the sums of the rows at distance 1 (s1)
// and 2 (s2). 12-bit samples, so the sums fit 16 bits.
void VerticalPass(const uint16_t *const rows[5], size_t x, size_t n, int16_t *__restrict s0,
                  int16_t *__restrict s1, int16_t *__restrict s2) {
    const uint16_t *__restrict r0 = rows[0] + x, *__restrict r1 = rows[1] + x,
                               *__restrict r2 = rows[2] + x, *__restrict r3 = rows[3] + x,
                               *__restrict r4 = rows[4] + x;
    for (size_t j = 0; j < n; ++j) {
        s0[j] = static_cast<int16_t>(r2[j]);
        s1[j] = static_cast<int16_t>(r1[j] + r3[j]);
        s2[j] = static_cast<int16_t>(r0[j] + r4[j]);
    }
}

// The horizontal half of the filter over the vertical sums s0 (the row
// itself), s1 and s2 (the rows at distance 1 and 2 on both sides), whose
// places sharing a weight are added first. 16-bit lanes throughout: samples
// are 12-bit, so every such group sums to at most 8 x 4095 < 2^15, and the
// weights of the design table are a few thousand at most; only the products
// widen to 32 bits. The sums are signed 16-bit like the output, so the
// pointers say that they do not overlap, or the loop is not vectorised.
__attribute__((always_inline)) inline void HorizontalPass(const CKernelWeights &w, ptrdiff_t c1,
                                                          const int16_t *__restrict s0,
                                                          const int16_t *__restrict s1,
                                                          const int16_t *__restrict s2, ptrdiff_t n,
                                                          uint16_t *__restrict out) {
    const int16_t centre = static_cast<int16_t>(w.Centre()), a = static_cast<int16_t>(w.a),
                  b = static_cast<int16_t>(w.b), c = static_cast<int16_t>(w.c),
                  d = static_cast<int16_t>(w.d), e = static_cast<int16_t>(w.e);
    const ptrdiff_t c2 = 2 * c1;
    for (ptrdiff_t i = 0; i < n; ++i) {
        const int16_t gb = static_cast<int16_t>(s0[i - c1] + s0[i + c1] + s1[i]);
        const int16_t gd = static_cast<int16_t>(s0[i - c2] + s0[i + c2] + s2[i]);
        const int16_t gc = static_cast<int16_t>(s1[i - c1] + s1[i + c1]);
        const int16_t ga = static_cast<int16_t>(s1[i - c2] + s1[i + c2] + s2[i - c1] + s2[i + c1]);
        const int16_t ge = static_cast<int16_t>(s2[i - c2] + s2[i + c2]);
        const int32_t sum = centre * s0[i] + b * gb + d * gd + c * gc + a * ga + e * ge;
        // Rounded division by 1000, clamped to 12 bits; anything below half
        // a level is 0.
        const uint32_t v = static_cast<uint32_t>(std::max(sum, -500) + 500) / 1000u;
        out[i] = static_cast<uint16_t>(std::min(v, static_cast<uint32_t>(kMax12)));
    }
}

// The same loop compiled twice, for the baseline instruction set and for
// processors with AVX2 (chosen once at run time); integer arithmetic, so
// both give the same bytes.
void HorizontalPlain(const CKernelWeights &w, ptrdiff_t c1, const int16_t *s0, const int16_t *s1,
                     const int16_t *s2, ptrdiff_t n, uint16_t *out) {
    HorizontalPass(w, c1, s0, s1, s2, n, out);
}

__attribute__((target("avx2"))) void HorizontalAvx2(const CKernelWeights &w, ptrdiff_t c1,
                                                    const int16_t *s0, const int16_t *s1,
                                                    const int16_t *s2, ptrdiff_t n, uint16_t *out) {
    HorizontalPass(w, c1, s0, s1, s2, n, out);
}

}  // namespace

bool CSharpenFilter::IsRequested(const SC_PREVIEWPARAM &p) {
    return p.sharpMode != 2 || p.sharpSwitch1 != 0 || p.sharpSwitch2 != 0;
}

const CFilterDesign &CSharpenFilter::Entry(int family, int strength) {
    if (strength < 0 || strength >= kStrengths)
        strength = kDefaultStrength;
    return kDesignTable[family & 3][strength];
}

CSharpenFilter CSharpenFilter::FromParam(const SC_PREVIEWPARAM &p) {
    const int family = (p.sharpSwitch1 != 0 ? 1 : 0) + (p.sharpSwitch2 != 0 ? 2 : 0);
    return CSharpenFilter(Design(Entry(family, p.sharpStrength)));
}

// Design: a symmetric 5-tap prototype low-pass p = (p2, p1, p0, p1, p2) has
// the response P(w) = p0 + 2 p1 cos w + 2 p2 cos 2w. Fixing P(0) = 1,
// P(pi/2) = halfResp and P(pi) = nyqResp gives
//   p1 = (1 - P(pi)) / 4,
//   p0 = ((1 + P(pi)) / 2 + P(pi/2)) / 2,
//   p2 = ((1 + P(pi)) / 2 - P(pi/2)) / 4.
// The 2-D low-pass mixes the separable product with the axis-only form,
//   L(u, v) = (1 - m) P(u) P(v) + m (P(u) + P(v)) / 2,
// and the kernel is the unsharp mask K = 1 + g (1 - L), whose response rises
// (g > 0) or falls (g < 0) towards high frequencies in proportion to g while
// K(0, 0) stays 1. Its off-centre taps are -g times the taps of L.
CKernelWeights CSharpenFilter::Design(const CFilterDesign &entry) {
    const double g = entry.gain / 1000.0;
    const double rh = entry.halfResp / 1000.0;
    const double rn = entry.nyqResp / 1000.0;
    const double m = entry.plusMix / 1000.0;
    const double p1 = (1.0 - rn) / 4.0;
    const double p0 = ((1.0 + rn) / 2.0 + rh) / 2.0;
    const double p2 = ((1.0 + rn) / 2.0 - rh) / 4.0;
    const double s = 1.0 - m;
    CKernelWeights w{};
    w.a = Thousandths(-g * s * p2 * p1);
    w.b = Thousandths(-g * (s * p0 * p1 + m * p1 / 2.0));
    w.c = Thousandths(-g * s * p1 * p1);
    w.d = Thousandths(-g * (s * p0 * p2 + m * p2 / 2.0));
    w.e = Thousandths(-g * s * p2 * p2);
    return w;
}

CSharpenFilter::CSharpenFilter(const CKernelWeights &w) : weights_(w) {
    // One quadrant of 3 x 3 distinct places, mirrored into all four.
    const int quadrant[3][3] = {{w.Centre(), w.b, w.d}, {w.b, w.c, w.a}, {w.d, w.a, w.e}};
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            kernel_[dy + 2][dx + 2] = quadrant[std::abs(dy)][std::abs(dx)];
}

CSharpenFilter::CRowFilter::CRowFilter(const CSharpenFilter &f, int wideWidth, int channels,
                                       int offX, int w, CIsa isa)
    : w_(f.weights_),
      horizontal_(isa == CIsa::kAvx2 ? HorizontalAvx2 : HorizontalPlain),
      channels_(channels),
      samples_(static_cast<ptrdiff_t>(w) * channels) {
    // Source column of each padded column, with the edge of the widened
    // image repeated where the image itself ends, kept as runs of
    // consecutive source columns (all but the clamped edges).
    const size_t padded = static_cast<size_t>(w + 4) * channels;
    for (size_t i = 0; i < padded; ++i) {
        const int x = std::clamp(static_cast<int>(i / channels) - 2 + offX, 0, wideWidth - 1);
        const size_t col = static_cast<size_t>(x) * channels + i % channels;
        if (!runs_.empty() && runs_.back().from + runs_.back().count == col)
            ++runs_.back().count;
        else
            runs_.push_back({i, col, 1});
    }
    for (auto &v : sums_)
        v.resize(padded);
}

void CSharpenFilter::CRowFilter::Run(const uint16_t *const rows[5], uint16_t *out) {
    // The kernel is symmetric, so rows at equal distance are summed first
    // (sums_[d] for distance d), and the six distinct weights each multiply
    // the sum of the places that share them: contiguous loops the compiler
    // can vectorise.
    for (const CSpan &r : runs_)
        VerticalPass(rows, r.from, r.count, sums_[0].data() + r.to, sums_[1].data() + r.to,
                     sums_[2].data() + r.to);
    const ptrdiff_t c2 = 2 * channels_;
    horizontal_(w_, channels_, sums_[0].data() + c2, sums_[1].data() + c2, sums_[2].data() + c2,
                samples_, out);
}

CWork12 CSharpenFilter::Apply(const CWork12 &wide, int offX, int offY, int w, int h) const {
    CWork12 out(w, h, wide.channels);
    CRowFilter rows(*this, wide.width, wide.channels, offX, w);
    for (int y = 0; y < h; ++y) {
        const uint16_t *around[5];
        for (int k = 0; k < 5; ++k)
            around[k] = wide.Row(std::clamp(y + offY + k - 2, 0, wide.height - 1));
        rows.Run(around, out.Row(y));
    }
    return out;
}

}  // namespace corvcolor
