// Pages through the real source manager, source and simulator by native
// and memory transfer arrive exactly as the server sent them: memory
// blocks in server order with their offsets, DIBs bottom-up in B G R with
// their headers and palettes. (File transfers have their own program, whose
// BMP files a decoder we did not write reads afterwards.)
#include "TransferCases.h"
#include "TwainScanTest.h"

namespace {

class TwainTransfer : public CTwainScanTest, public ::testing::WithParamInterface<STransferCase> {};

TEST_P(TwainTransfer, PagesArriveAsTheServerSentThem) {
    const STransferCase &c = GetParam();
    Scenario(c.scenario);
    SAcquireOptions options;
    options.mech = c.mech;
    options.memBufferSize = c.memBufferSize;
    options.placeByOffsets = c.placeByOffsets;
    const SAcquisition scan = Scan(c.setup, options);
    EXPECT_EQ(scan.enableRc, TWRC_SUCCESS);
    ExpectPagesAsSent(scan, c.mech, c.pages);
    if (c.mech == EXferMech::Memory && c.memBufferSize == 0) {
        // Whole rows up to 64 KB, as the job's row size allows.
        const TW_UINT32 row = static_cast<TW_UINT32>(Job().pages.at(0).stride);
        EXPECT_EQ(scan.memSetup.MinBufSize, row);
        EXPECT_EQ(scan.memSetup.Preferred, row * (65535 / row));
        EXPECT_EQ(scan.memSetup.MaxBufSize, scan.memSetup.Preferred);
    }
    ExpectClosesCleanly();
    const CSimJobState job = Job();
    EXPECT_FALSE(job.open);
    EXPECT_EQ(job.closedBy, "END_JOB");
}

// Buffers smaller than a row give partial rows, described by their own
// width (only an application that follows the byte offsets can use them);
// a buffer of a row and a half carries one whole row a block.
std::vector<STransferCase> SmallBufferCases() {
    std::vector<STransferCase> cases;
    for (TW_UINT32 size : {1000u, 3726u}) {
        STransferCase c;
        c.name = "memory_colour_A6_buffer_" + std::to_string(size);
        c.mech = EXferMech::Memory;
        c.setup.mediumSize = kSizeA6Portrait;
        c.memBufferSize = size;
        c.placeByOffsets = size == 1000u;
        cases.push_back(c);
    }
    return cases;
}

// Pages of several megabytes, whose image the server sends in pieces that
// end inside rows and which the job reads ahead a megabyte at a time: every
// block must still hold whole rows, for applications that take Rows whole
// rows at YOffset.
std::vector<STransferCase> WholeRowCases() {
    struct {
        const char *name;
        int mode, resolution;
        TW_UINT32 buffer;
    } const pages[] = {{"bw_600dpi_A4", 2, 3, 0},
                       {"grey_300dpi_A4_buffer_100000", 1, 1, 100000},
                       {"colour_200dpi_A4", 0, 0, 0}};
    std::vector<STransferCase> cases;
    for (const auto &p : pages) {
        STransferCase c;
        c.name = std::string("memory_whole_rows_") + p.name;
        c.mech = EXferMech::Memory;
        c.setup.colorMode = p.mode;
        c.setup.resolution = p.resolution;
        c.setup.mediumSize = 5;
        c.memBufferSize = p.buffer;
        c.scenario = {"--image-chunk", "1001"};
        cases.push_back(c);
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Native, TwainTransfer,
                         ::testing::ValuesIn(ModeAndResolutionCases(EXferMech::Native)),
                         TransferCaseName);
INSTANTIATE_TEST_SUITE_P(Memory, TwainTransfer,
                         ::testing::ValuesIn(ModeAndResolutionCases(EXferMech::Memory)),
                         TransferCaseName);
INSTANTIATE_TEST_SUITE_P(NativeFeederAndPadding, TwainTransfer,
                         ::testing::ValuesIn(FeederAndRowPaddingCases(EXferMech::Native)),
                         TransferCaseName);
INSTANTIATE_TEST_SUITE_P(MemoryFeederAndPadding, TwainTransfer,
                         ::testing::ValuesIn(FeederAndRowPaddingCases(EXferMech::Memory)),
                         TransferCaseName);
INSTANTIATE_TEST_SUITE_P(MemorySmallBuffers, TwainTransfer, ::testing::ValuesIn(SmallBufferCases()),
                         TransferCaseName);
INSTANTIATE_TEST_SUITE_P(MemoryWholeRows, TwainTransfer, ::testing::ValuesIn(WholeRowCases()),
                         TransferCaseName);

}  // namespace
