// The fixed arithmetic: bit-depth conversions, the conversion table, tone,
// colour adjustment and the colour matrix.
#include "BitDepth.h"
#include "ColourAdjust.h"
#include "ColourMatrix.h"
#include "ConversionTable.h"
#include "PreviewBlock.h"
#include "RowConverter.h"
#include "ToneTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace corvcolor;

namespace {

TEST(BitDepth, EightBitValuesSurviveTheRoundTrip) {
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(To12(static_cast<uint8_t>(v)), std::lround(v * 4095.0 / 255.0));
        EXPECT_EQ(To8(To12(static_cast<uint8_t>(v))), v);
    }
    EXPECT_EQ(To8(0), 0);
    EXPECT_EQ(To8(4095), 255);
    EXPECT_EQ(To8(2047), 127);  // 0.5 + 127.469
    EXPECT_EQ(To8(2056), 128);
}

TEST(ConversionTable, NodesHoldTheYCbCrConversion) {
    const auto &t = CConversionTable::Nodes();
    const auto &grey = t[CConversionTable::Index(16, 16, 16)];
    EXPECT_EQ(grey.r, 128 * 256);
    EXPECT_EQ(grey.g, 128 * 256);
    EXPECT_EQ(grey.b, 128 * 256);
    // Y 128, Cb 128, Cr 192: R = 128 + 1.402 * 64, G = 128 - 0.714136 * 64.
    const auto &red = t[CConversionTable::Index(16, 16, 24)];
    EXPECT_EQ(red.r, std::lround((128 + 1.402 * 64) * 256));
    EXPECT_EQ(red.g, std::lround((128 - 0.714136 * 64) * 256));
    EXPECT_EQ(red.b, 128 * 256);
    // Out of gamut nodes are clamped, the white corner keeps its headroom.
    EXPECT_EQ(t[CConversionTable::Index(0, 0, 0)].b, 0);
    EXPECT_EQ(t[CConversionTable::Index(32, 16, 16)].r, 65535);
}

TEST(ToneTable, FoldsLevelsThenGamma) {
    SC_PREVIEWPARAM p = colourtest::NeutralBlock(1, 1);
    const CToneTable neutral(p, 0);
    for (int v = 0; v < 4096; v += 15)
        EXPECT_EQ(neutral[v], v);
    p.gamma = 36;  // exponent 2
    const CToneTable gamma(p, 0);
    EXPECT_EQ(gamma[2048], 1024);
    EXPECT_EQ(gamma[4095], 4094);
    p.gamma = 18;
    p.shadow = 51;      // lo = 819.2
    p.highlight = 204;  // hi = 3276.8
    const CToneTable levels(p, 0);
    EXPECT_EQ(levels[819], 0);
    EXPECT_EQ(levels[2048], 2048);
    EXPECT_EQ(levels[3277], 4095);
    p.highlight = 255;
    p.shadow = 0;
    const CToneTable contrast(p, 100);  // factor 1.2
    EXPECT_EQ(contrast[1000], 1200);
    EXPECT_EQ(contrast[4000], 4095);
}

TEST(ColourAdjust, CoefficientsAndRotation) {
    const CColourAdjust light(0, 0, 100);
    EXPECT_EQ(light.lightCoef, 12000);
    EXPECT_EQ(CColourAdjust(0, -100, 0).cosCoef, 8000);
    EXPECT_EQ(CColourAdjust(0, 100, 0).cosCoef, 13000);
    // 450 units = 90 degrees: (Cb, Cr) offsets (d, 0) become (0, d).
    const CColourAdjust quarter(450, 0, 0);
    EXPECT_EQ(quarter.cosCoef, 0);
    EXPECT_EQ(quarter.sinCoef, 10000);
    // Results come as the top 8 of their 12 bits; 12-bit 2056 is 8-bit 128.
    const uint16_t centre = CColourAdjust::kChromaCentre;
    const uint16_t px[6] = {1000,   static_cast<uint16_t>(centre + 300), centre, 1000,
                            centre, static_cast<uint16_t>(centre + 300)};
    const size_t offsets[2] = {0, 3};
    uint8_t turned[6];
    quarter.ApplyRow(px, offsets, 2, turned);
    EXPECT_EQ(turned[0], 1000 >> 4);
    EXPECT_EQ(turned[1], 128);
    EXPECT_EQ(turned[2], (centre + 300) >> 4);
    EXPECT_EQ(turned[4], (centre - 300) >> 4);  // (0, d) becomes (-d, 0)
    EXPECT_EQ(turned[5], 128);
    // Dark lightness clamps at 0, chroma far past the ends at 0 and 255.
    const uint16_t bright[3] = {4000, 0, 4095};
    uint8_t dark[3];
    CColourAdjust(0, 1000, -1000).ApplyRow(bright, offsets, 1, dark);
    EXPECT_EQ(dark[0], 0);
    EXPECT_EQ(dark[1], 0);
    EXPECT_EQ(dark[2], 255);
    // A tone table folded in front: levels 0..2048 stretched to 0..4095.
    SC_PREVIEWPARAM p = colourtest::NeutralBlock(1, 1);
    p.highlight = 128;
    const CToneTable tone(p, 0);
    CColourAdjust toned(0, 0, 0);
    toned.FoldTone(&tone);
    const uint16_t half[3] = {1024, 1024, 2000};
    uint8_t stretched[3];
    toned.ApplyRow(half, offsets, 1, stretched);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(stretched[c], tone[half[c]] >> 4) << c;
    EXPECT_EQ(stretched[0], 2040 >> 4);
}

TEST(ColourMatrix, FixedPointArithmetic) {
    const CColourMatrix identity(0, 0, 0);
    EXPECT_EQ(identity.coef[0][0], 65536);
    EXPECT_EQ(identity.coef[0][1], 0);
    EXPECT_EQ(identity.offset, 0);
    CImage8 img(3, 1, 3);
    img.samples = {0, 0, 0, 128, 128, 128, 255, 255, 255};
    CImage8 same = img;
    identity.Apply(same);
    EXPECT_EQ(same.samples, img.samples);  // v * 257 / 256 rounds down to v
    CImage8 bright = img;
    CColourMatrix(0, 100, 0).Apply(bright);  // +50 levels
    EXPECT_EQ(bright.samples[0], 50);
    EXPECT_EQ(bright.samples[3], 178);
    EXPECT_EQ(bright.samples[6], 255);
    CImage8 contrast = img;
    CColourMatrix(0, 0, 100).Apply(contrast);  // h = 1.3, offset -76.5: white stays
    EXPECT_EQ(contrast.samples[6], 255);
    EXPECT_EQ(contrast.samples[3], 90);  // 128.5 * 1.3 - 76.5
    EXPECT_EQ(CColourMatrix(0, 0, 1000).coef[0][0], CColourMatrix(0, 0, 100).coef[0][0]);
}

// The vector kernel gives the plain kernel's bytes for every kind of
// adjustment (neutral, clamping at both ends, turned, toned), any row width
// (the plain kernel ends each row) and any column order the scaling makes.
TEST(RowConverter, EveryInstructionSetConvertsAlike) {
    if (BestIsa() == CIsa::kPlain)
        GTEST_SKIP() << "this processor runs the plain kernel only";
    SC_PREVIEWPARAM p = colourtest::NeutralBlock(1, 1);
    p.shadow = 20;
    p.highlight = 200;
    p.gamma = 25;
    const CToneTable tone(p, 0);
    const int settings[][4] = {
        {0, 0, 0, 0},      {0, 1000, -1000, 0},  {0, 1000, 1000, 0},     {450, -300, 200, 0},
        {-777, 600, 0, 1}, {123, -1000, 999, 1}, {1000, 1000, -1000, 1},
    };
    std::mt19937 rng(3);
    for (const auto &s : settings)
        for (int round = 0; round < 12; ++round) {
            CColourAdjust adjust(s[0], s[1], s[2]);
            if (s[3] != 0)
                adjust.FoldTone(&tone);
            const size_t width = 1 + rng() % 70, outWidth = 1 + rng() % 90;
            std::vector<uint16_t> row(width * 3);
            for (auto &v : row)
                v = static_cast<uint16_t>(round % 3 == 0 ? (rng() % 2) * 4095 : rng() % 4096);
            std::vector<size_t> offsets(outWidth);
            for (size_t x = 0; x < outWidth; ++x)
                offsets[x] = (round % 2 == 0 ? x * width / outWidth : rng() % width) * 3;
            std::vector<uint8_t> plain(outWidth * 3), simd(outWidth * 3);
            CRowConverter(adjust, offsets, CIsa::kPlain).Run(row.data(), plain.data());
            CRowConverter(adjust, offsets, BestIsa()).Run(row.data(), simd.data());
            ASSERT_EQ(plain, simd) << s[0] << " " << s[1] << " " << s[2] << " width " << outWidth;
        }
}

}  // namespace
