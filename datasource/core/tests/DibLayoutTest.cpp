// The DIB and BMP layout of native and file transfers, read back byte by
// byte as a Windows reader of the headers would.
#include "DibLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

uint32_t U32(const std::vector<uint8_t> &b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t> &b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

struct LayoutCase {
    int32_t width, height;
    int bits;
    uint32_t stride, pixelBytes, palette;
};

TEST(DibLayout, StrideAndPaletteFollowTheDepth) {
    const LayoutCase cases[] = {
        {1, 1, 1, 4, 1, 2},        {33, 2, 1, 8, 5, 2},  {3, 2, 24, 12, 9, 0},
        {4, 1, 24, 12, 12, 0},     {5, 3, 8, 8, 5, 256}, {1654, 10, 24, 4964, 4962, 0},
        {4960, 2, 1, 620, 620, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bits);
        const auto dib = CDibLayout::Create(c.width, c.height, c.bits, 300);
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->Stride(), c.stride);
        EXPECT_EQ(dib->PixelBytes(), c.pixelBytes);
        EXPECT_EQ(dib->PaletteEntries(), c.palette);
        EXPECT_EQ(dib->PackedBytes(), 40 + 4 * c.palette + c.stride * c.height);
        EXPECT_EQ(dib->FileBytes(), 54 + 4 * c.palette + c.stride * c.height);
        // First received row is the last stored one.
        EXPECT_EQ(dib->RowOffset(0), (c.height - 1) * c.stride);
        EXPECT_EQ(dib->RowOffset(c.height - 1), 0u);
    }
}

TEST(DibLayout, ImpossiblePicturesAreRefused) {
    EXPECT_FALSE(CDibLayout::Create(0, 10, 24, 300));
    EXPECT_FALSE(CDibLayout::Create(10, 0, 24, 300));
    EXPECT_FALSE(CDibLayout::Create(-1, 10, 8, 300));
    EXPECT_FALSE(CDibLayout::Create(10, 10, 4, 300));
    EXPECT_FALSE(CDibLayout::Create(10, 10, 32, 300));
    // Sizes whose bytes do not fit a 32-bit length.
    EXPECT_FALSE(CDibLayout::Create(200000, 200000, 24, 300));
    EXPECT_FALSE(CDibLayout::Create(0x7fffffff, 0x7fffffff, 1, 300));
    EXPECT_TRUE(CDibLayout::Create(7016, 9921, 24, 600));  // A3 at 600 dpi
}

TEST(DibLayout, InfoHeaderAndPalette) {
    struct Case {
        int bits;
        int32_t dpi;
        CDibLayout::PpmRounding rounding;
        uint32_t ppm;
        std::vector<uint8_t> greys;
    };
    const Case cases[] = {
        // 200 / 0.0254 = 7874.01..; 300 -> 11811.02..; 400 -> 15748.03..; 600 -> 23622.04..
        {1, 200, CDibLayout::PpmRounding::Truncate, 7874, {0, 255}},
        {24, 300, CDibLayout::PpmRounding::Truncate, 11811, {}},
        {8, 400, CDibLayout::PpmRounding::Nearest, 15748, {}},
        {8, 150, CDibLayout::PpmRounding::Truncate, 5905, {}},  // 5905.51
        {8, 150, CDibLayout::PpmRounding::Nearest, 5906, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits " << c.dpi << " dpi");
        const auto dib = CDibLayout::Create(7, 5, c.bits, c.dpi);
        ASSERT_TRUE(dib);
        std::vector<uint8_t> h(dib->BitsOffset(), 0xEE);
        dib->WriteInfoHeader(h.data(), c.rounding);
        EXPECT_EQ(U32(h, 0), 40u);
        EXPECT_EQ(U32(h, 4), 7u);
        EXPECT_EQ(static_cast<int32_t>(U32(h, 8)), 5);  // positive: bottom-up
        EXPECT_EQ(U16(h, 12), 1);
        EXPECT_EQ(U16(h, 14), c.bits);
        EXPECT_EQ(U32(h, 16), 0u);
        EXPECT_EQ(U32(h, 24), c.ppm);
        EXPECT_EQ(U32(h, 28), c.ppm);
        EXPECT_EQ(U32(h, 32), 0u);
        EXPECT_EQ(U32(h, 36), 0u);
        const uint32_t n = dib->PaletteEntries();
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t want = i + 1 == n ? 255 : static_cast<uint8_t>(i * (256u >> c.bits));
            if (!c.greys.empty()) {
                ASSERT_EQ(want, c.greys[i]);
            }
            ASSERT_EQ(h[40 + 4 * i], want) << i;
            ASSERT_EQ(h[41 + 4 * i], want) << i;
            ASSERT_EQ(h[42 + 4 * i], want) << i;
            ASSERT_EQ(h[43 + 4 * i], 0) << i;
        }
    }
}

TEST(DibLayout, FileHeaderPointsAtTheBits) {
    const auto dib = CDibLayout::Create(10, 3, 8, 300);
    ASSERT_TRUE(dib);
    std::vector<uint8_t> f(14);
    dib->WriteFileHeader(f.data());
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(U32(f, 2), 54u + 1024u + 12u * 3u);
    EXPECT_EQ(U32(f, 6), 0u);
    EXPECT_EQ(U32(f, 10), 54u + 1024u);
}

TEST(DibLayout, SwapRedBlueTurnsServerOrderIntoDibOrder) {
    std::vector<uint8_t> row = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xAA};
    CDibLayout::SwapRedBlue(row.data(), 3);
    EXPECT_EQ(row, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 0xAA}));
}

}  // namespace
