// The filter design: every table entry gives a symmetric kernel that keeps
// flat areas, and the strength runs from mild to strong in every family.
#include "SharpenFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using corvcolor::CFilterDesign;
using corvcolor::CKernelWeights;
using corvcolor::CSharpenFilter;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Response of the integer kernel at the spatial frequency (u, v).
double Response(const CSharpenFilter &f, double u, double v) {
    double r = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            r += f.Weight(dx, dy) * std::cos(u * dx) * std::cos(v * dy);
    return r / 1000.0;
}

CSharpenFilter FilterOf(int family, int strength) {
    return CSharpenFilter(CSharpenFilter::Design(CSharpenFilter::Entry(family, strength)));
}

TEST(SharpenFilter, BinomialDesignGivesHandComputedWeights) {
    // Prototype (1 4 6 4 1) / 16 (half-band response 1/4, Nyquist 0), gain 1.
    const CKernelWeights w = CSharpenFilter::Design(CFilterDesign{1000, 250, 0, 0});
    EXPECT_EQ(w.a, -16);  // -(1/16)(4/16)
    EXPECT_EQ(w.b, -94);  // -(6/16)(4/16)
    EXPECT_EQ(w.c, -63);  // -(4/16)^2
    EXPECT_EQ(w.d, -23);  // -(6/16)(1/16)
    EXPECT_EQ(w.e, -4);   // -(1/16)^2
    EXPECT_EQ(w.Centre(), 1864);
}

TEST(SharpenFilter, EveryEntryIsSymmetricAndSumsToOne) {
    for (int family = 0; family < CSharpenFilter::kFamilies; ++family)
        for (int s = 0; s < CSharpenFilter::kStrengths; ++s) {
            const CSharpenFilter f = FilterOf(family, s);
            int sum = 0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    sum += f.Weight(dx, dy);
                    EXPECT_EQ(f.Weight(dx, dy), f.Weight(-dx, dy));
                    EXPECT_EQ(f.Weight(dx, dy), f.Weight(dx, -dy));
                    EXPECT_EQ(f.Weight(dx, dy), f.Weight(dy, dx));
                }
            EXPECT_EQ(sum, 1000) << family << "/" << s;
            EXPECT_EQ(f.Weight(0, 0), f.Weights().Centre());
        }
}

TEST(SharpenFilter, StrengthMovesTheHighFrequenciesFurtherFromOne) {
    // Families 0 and 1 sharpen (response above 1), 2 and 3 smooth (below 1).
    for (int family = 0; family < CSharpenFilter::kFamilies; ++family) {
        const double sign = family < 2 ? 1.0 : -1.0;
        double last = 0;
        for (int s = 0; s < CSharpenFilter::kStrengths; ++s) {
            const CSharpenFilter f = FilterOf(family, s);
            const double boost = sign * (Response(f, kPi / 2, kPi / 2) - 1.0);
            EXPECT_GT(boost, last) << family << "/" << s;
            last = boost;
        }
    }
}

TEST(SharpenFilter, StrengthOutsideTheTableCountsAsTwo) {
    for (int s : {-1, 5, 1000})
        for (int family = 0; family < 4; ++family)
            EXPECT_EQ(&CSharpenFilter::Entry(family, s), &CSharpenFilter::Entry(family, 2));
}

// The inner loop built for each instruction set gives the plain loop's
// bytes, for every kernel of the table, any row width and channel count
// (odd widths leave tails after the vector steps) and samples up to 4095.
TEST(SharpenFilter, EveryInstructionSetFiltersAlike) {
    if (CSharpenFilter::BestIsa() == CSharpenFilter::CIsa::kPlain)
        GTEST_SKIP() << "this processor runs the plain loop only";
    std::mt19937 rng(12);
    for (int family = 0; family < CSharpenFilter::kFamilies; ++family)
        for (int strength = 0; strength < CSharpenFilter::kStrengths; ++strength)
            for (int round = 0; round < 8; ++round) {
                const int ch = round % 2 == 0 ? 3 : 1;
                const int wide = 1 + static_cast<int>(rng() % 90);
                const int w = 1 + static_cast<int>(rng() % static_cast<unsigned>(wide));
                const int offX = static_cast<int>(rng() % static_cast<unsigned>(wide - w + 1));
                std::vector<uint16_t> rows[5];
                const uint16_t *around[5];
                for (int k = 0; k < 5; ++k) {
                    rows[k].resize(static_cast<size_t>(wide) * ch);
                    for (auto &v : rows[k])
                        v = static_cast<uint16_t>(round < 4 ? rng() % 4096 : (rng() % 2) * 4095);
                    around[k] = rows[k].data();
                }
                const CSharpenFilter f = FilterOf(family, strength);
                std::vector<uint16_t> plain(static_cast<size_t>(w) * ch),
                    simd(static_cast<size_t>(w) * ch);
                CSharpenFilter::CRowFilter(f, wide, ch, offX, w, CSharpenFilter::CIsa::kPlain)
                    .Run(around, plain.data());
                CSharpenFilter::CRowFilter(f, wide, ch, offX, w, CSharpenFilter::BestIsa())
                    .Run(around, simd.data());
                ASSERT_EQ(plain, simd) << family << "/" << strength << " width " << w;
            }
}

}  // namespace
