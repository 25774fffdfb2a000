#include "PageGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(PageGeometry, RowsFromRowSizeOrPaddedToFourBytes) {
    struct {
        int mode;
        int32_t w, h, rowSize, perRow, total;
    } cases[] = {
        {0, 3, 2, 0, 12, 24},  // 9 bytes of RGB padded to 12
        {1, 5, 1, 0, 8, 8},    // (8*5+31)/8 = 8
        {2, 33, 4, 0, 8, 32},  // 1-bit: (33+31)/8 = 8
        {0, 4960, 7016, 0, 14880, 104398080},
        {0, 3, 2, 18, 9, 18},   // server's own row size, unpadded
        {2, 8, 10, 15, 1, 10},  // 15/10 = 1 byte per row
    };
    for (const auto &c : cases) {
        CPageGeometry g;
        ASSERT_TRUE(ComputePageGeometry(c.mode, c.w, c.h, c.rowSize, g)) << c.w;
        EXPECT_EQ(g.bytesPerRow, c.perRow);
        EXPECT_EQ(g.pageBytes, c.total);
    }
}

TEST(PageGeometry, ImpossiblePagesAreRejected) {
    struct {
        int mode;
        int32_t w, h, rowSize;
    } cases[] = {
        {0, 0, 10, 0},     {0, 10, 0, 0},        {0, -5, 10, 0},
        {0, 10, -1, 0},    {0, 10, 10, -30},     {0, 10, 10, 200},  // 20 bytes/row < 30 needed
        {0, 200001, 1, 0}, {0, 60000, 60000, 0},                    // over 2 GiB
        {2, 9, 10, 10},  // 1 byte per row cannot hold 9 bits
    };
    for (const auto &c : cases) {
        CPageGeometry g;
        EXPECT_FALSE(ComputePageGeometry(c.mode, c.w, c.h, c.rowSize, g)) << c.w << "x" << c.h;
        EXPECT_EQ(g.pageBytes, 0);
    }
}

TEST(ReadChunk, WholeRowsWithinTheBufferAndThePage) {
    CPageGeometry page{1000, 100000};
    EXPECT_EQ(ReadChunkSize(4096, page, 0), 4000u);
    EXPECT_EQ(ReadChunkSize(999, page, 0), 999u);  // partial row
    EXPECT_EQ(ReadChunkSize(4097, page, 0), 4000u);
    EXPECT_EQ(ReadChunkSize(65536, page, 98000), 2000u);
    EXPECT_EQ(ReadChunkSize(4096, page, 100000), 0u);
    EXPECT_EQ(ReadChunkSize(4096, page, 200000), 0u);
    CPageGeometry odd{3, 30};
    EXPECT_EQ(ReadChunkSize(10, odd, 0), 9u);
    EXPECT_EQ(ReadChunkSize(5, odd, 0), 3u);  // one whole row, never past the caller's buffer
    // A row begun by a small buffer is finished before the next one starts.
    EXPECT_EQ(ReadChunkSize(999, page, 999), 1u);
    EXPECT_EQ(ReadChunkSize(400, page, 1800), 200u);
    EXPECT_EQ(ReadChunkSize(4096, page, 1500), 500u);
    EXPECT_EQ(ReadChunkSize(300, page, 1500), 300u);
}

TEST(ProgressBytes, UnitsAndTruncatedDecimals) {
    struct {
        uint32_t bytes;
        const wchar_t *text;
    } cases[] = {
        {0, L""},
        {1, L"0k"},
        {1024, L"1k"},
        {0xfffff, L"1023k"},
        {0x100000, L"1.00M"},
        {0x100000 + 0x100000 / 100 * 5 + 1000, L"1.05M"},
        {0x9fffff, L"9.99M"},
        {0xa00000, L"10.0M"},
        {104398080, L"99.5M"},
        {0xffffffff, L"4095.9M"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatProgressBytes(c.bytes), c.text) << c.bytes;
}

TEST(PixelScaling, ResolutionChange) {
    EXPECT_EQ(RescaleKnownPixels(0, 300, 600), 0);
    EXPECT_EQ(RescaleKnownPixels(2480, 300, 600), 4961);  // ceil(4960 + 0.5)
    EXPECT_EQ(RescaleKnownPixels(100, 300, 200), 68);     // ceil(66.67 + 0.5)
    EXPECT_EQ(RescaleKnownPixels(100, 0, 200), 100);
}

}  // namespace
