// Rows taken from a held prescan image, and the blocks that must not be
// trusted for offsets.
#include "HeldImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A packed DIB of width x height at `bits`, each stored row r filled with
// bytes r*16 + column byte index.
std::vector<uint8_t> MakeDib(int32_t width, int32_t height, int bits, uint32_t clrUsed = 0) {
    const uint32_t stride = ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
    const uint32_t colours = bits <= 8 ? (clrUsed ? clrUsed : 1u << bits) : 0;
    const uint32_t absH = static_cast<uint32_t>(height < 0 ? -height : height);
    std::vector<uint8_t> b(40 + 4 * colours + stride * absH);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, static_cast<uint32_t>(width));
    put32(8, static_cast<uint32_t>(height));
    b[12] = 1;
    b[14] = static_cast<uint8_t>(bits);
    put32(32, clrUsed);
    uint8_t *bitsStart = b.data() + 40 + 4 * colours;
    for (uint32_t r = 0; r < absH; ++r)
        for (uint32_t i = 0; i < stride; ++i)
            bitsStart[r * stride + i] = static_cast<uint8_t>(r * 16 + i);
    return b;
}

TEST(HeldImage, ParsesDepthsAndColourTables) {
    struct Case {
        int32_t w, h;
        int bits;
        uint32_t clrUsed, stride;
    };
    const Case cases[] = {{3, 2, 24, 0, 12}, {5, -4, 8, 0, 8}, {9, 3, 1, 0, 4}, {5, 2, 8, 16, 8}};
    for (const auto &c : cases) {
        const auto dib = MakeDib(c.w, c.h, c.bits, c.clrUsed);
        const auto image = CHeldImage::Parse(dib.data(), dib.size());
        ASSERT_TRUE(image) << c.w << "x" << c.h;
        EXPECT_EQ(image->Width(), c.w);
        EXPECT_EQ(image->AbsHeight(), c.h < 0 ? -c.h : c.h);
        EXPECT_EQ(image->Stride(), c.stride);
        uint8_t row[16] = {};
        ASSERT_TRUE(image->CopyRow(1, 0, c.stride, row));
        // Picture row 1 is stored second from the end of a bottom-up DIB.
        const int stored = c.h > 0 ? c.h - 2 : 1;
        EXPECT_EQ(row[0], stored * 16) << "rows start after the colour table";
    }
}

TEST(HeldImage, RefusesBlocksThatDoNotHoldTheirPicture) {
    auto good = MakeDib(4, 4, 24);
    EXPECT_FALSE(CHeldImage::Parse(good.data(), good.size() - 1));
    EXPECT_FALSE(CHeldImage::Parse(good.data(), 39));
    EXPECT_FALSE(CHeldImage::Parse(nullptr, 100));
    auto compressed = good;
    compressed[16] = 1;
    EXPECT_FALSE(CHeldImage::Parse(compressed.data(), compressed.size()));
    auto depth = good;
    depth[14] = 32;
    EXPECT_FALSE(CHeldImage::Parse(depth.data(), depth.size()));
    auto huge = good;
    huge[7] = 0x7f;  // width in the billions
    EXPECT_FALSE(CHeldImage::Parse(huge.data(), huge.size()));
    auto header = good;
    header[0] = 0xff;
    header[1] = 0xff;  // header longer than the block
    EXPECT_FALSE(CHeldImage::Parse(header.data(), header.size()));
}

TEST(HeldImage, RowCopiesStayInsideRowAndImage) {
    const auto dib = MakeDib(4, 3, 24);  // stride 12
    const auto image = CHeldImage::Parse(dib.data(), dib.size());
    ASSERT_TRUE(image);
    std::vector<uint8_t> out(12, 0);
    EXPECT_TRUE(image->CopyRow(2, 3, 9, out.data()));
    EXPECT_EQ(out[0], 3) << "the picture's bottom row is stored first";
    EXPECT_FALSE(image->CopyRow(3, 0, 12, out.data()));
    EXPECT_FALSE(image->CopyRow(-1, 0, 12, out.data()));
    EXPECT_FALSE(image->CopyRow(0, 4, 9, out.data()));
}

TEST(HeldImage, AreaFollowsTheJobWithinTheImage) {
    const auto dib = MakeDib(10, 8, 8);  // stride 12
    const auto image = CHeldImage::Parse(dib.data(), dib.size());
    ASSERT_TRUE(image);
    struct Case {
        int32_t jobW, jobH, left, top;
        int32_t w, h;
        uint32_t row;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 10, 8, 12},    // no job size: the whole image at its stride
        {6, 5, 0, 0, 6, 5, 6},      // the job's size, exact rows
        {6, 5, 7, 6, 3, 2, 3},      // cut at the image's edges
        {20, 20, 0, 0, 10, 8, 10},  // never wider than the image
    };
    for (const auto &c : cases) {
        const CHeldArea a = image->Area(c.jobW, c.jobH, 8, c.left, c.top);
        EXPECT_EQ(a.width, c.w);
        EXPECT_EQ(a.height, c.h);
        EXPECT_EQ(a.exactRow, c.row);
    }
    EXPECT_EQ(ExactRowSize(1, 9), 2u);
    EXPECT_EQ(ExactRowSize(24, 3), 9u);
    EXPECT_EQ(ExactRowSize(8, 0), 0u);
}

}  // namespace
