// Buffer sizes and block placement of memory transfers.
#include "MemXferBlock.h"

#include <gtest/gtest.h>

namespace {

TEST(MemXferSetup, SizesForHeldImageServerPageAndUnknown) {
    struct Case {
        uint32_t held, server, min, max, pref;
    };
    const Case cases[] = {
        {0, 1000, 1000, 65000, 65000},   {0, 0, 1024, 64512, 64512},
        {0, 14880, 14880, 59520, 59520}, {0, 65535, 65535, 65535, 65535},
        {0, 70000, 70000, 70000, 70000},  // one row above the block limit stays whole
        {4962, 4964, 4962, 4962, 4962},
    };
    for (const auto &c : cases) {
        const CMemXferSetup s = CMemXferSetup::For(c.held, c.server);
        EXPECT_EQ(s.minBufSize, c.min) << c.server;
        EXPECT_EQ(s.maxBufSize, c.max) << c.server;
        EXPECT_EQ(s.preferred, c.pref) << c.server;
        EXPECT_LE(s.minBufSize, s.maxBufSize);
    }
}

TEST(MemXferBlock, ServerBlocksArePlacedByBytesReceived) {
    struct Case {
        uint32_t bpr;
        int bits;
        uint32_t received, written;
        uint32_t x, y, rows, outBpr, columns;
    };
    const Case cases[] = {
        {1000, 8, 0, 4000, 0, 0, 4, 1000, 1000},    // whole rows
        {1000, 8, 4000, 600, 0, 4, 1, 600, 600},    // a short piece: its own width
        {1000, 8, 4600, 400, 600, 4, 1, 400, 400},  // the rest of that row
        {9, 24, 0, 4, 0, 0, 1, 4, 1},               // less than one pixel's bytes
        {9, 24, 9, 18, 0, 1, 2, 9, 3},
        {2, 1, 3, 1, 8, 1, 1, 1, 8},  // 1 bit: x counts bits
        {1000, 8, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.bpr << "/" << c.received << "/" << c.written);
        CMemXferBlock b = CMemXferBlock::ServerPage(c.bpr, c.bits, c.bpr * 8 / c.bits, c.received);
        EXPECT_EQ(b.xOffset, c.x);
        EXPECT_EQ(b.yOffset, c.y);
        b.Delivered(c.written, c.bits);
        EXPECT_EQ(b.rows, c.rows);
        EXPECT_EQ(b.bytesPerRow, c.outBpr);
        EXPECT_EQ(b.columns, c.columns);
        EXPECT_EQ(b.bytesWritten, c.written);
    }
}

TEST(MemXferBlock, BlocksHoldWholeRowsUnlessTheBufferIsSmallerThanOne) {
    struct Case {
        uint32_t room, bpr, received, fill;
    };
    const Case cases[] = {
        {64532, 4964, 1032512, 64532},  // a boundary of the job's read-ahead changes nothing
        {65535, 4964, 0, 64532},        // the largest whole number of rows
        {4964, 4964, 4964, 4964},
        {4963, 4964, 0, 4963},       // below one row: as much as fits
        {4963, 4964, 4963, 1},       // then the rest of that row, not into the next
        {100000, 4964, 2000, 2964},  // a row begun by a smaller buffer is finished first
        {100, 0, 0, 100},            // row size not known yet
    };
    for (const auto &c : cases)
        EXPECT_EQ(CMemXferBlock::Fill(c.room, c.bpr, c.received), c.fill)
            << c.room << "/" << c.bpr << "/" << c.received;
}

TEST(MemXferBlock, HeldRowsCountRowsDelivered) {
    CMemXferBlock b = CMemXferBlock::HeldRow(30, 10, 7);
    EXPECT_EQ(b.yOffset, 7u);
    EXPECT_EQ(b.xOffset, 0u);
    b.Delivered(30, 24);
    EXPECT_EQ(b.rows, 1u);
    EXPECT_EQ(b.columns, 10u);
}

}  // namespace
