// A long feeder job through the real source manager: fifty A4 colour
// sheets at 300 dpi (26 MB each) by memory transfer into one reused
// buffer, the pages hashed as they stream and not kept. The process must
// hold no more after page 50 than after page 2: a page buffer, a DIB, a
// connection or a thread left behind per page would show here long before
// a user's hundred-page batch runs out of memory.
#include <cstdio>

#include "ProcessFigures.h"
#include "SimulatorClient.h"
#include "TwainScanTest.h"

namespace {

constexpr int kSheets = 50;
// Private bytes may move by heap bookkeeping and one reused 64 KB buffer;
// a leaked page (26 MB), or even a leaked row per page (7 KB x 48 = 350 KB)
// plus ordinary noise, goes past this.
constexpr size_t kPrivateBytesTolerance = 2u << 20;
// The working set follows what the system pages in and out; it only
// catches a page-sized leak.
constexpr size_t kWorkingSetTolerance = 16u << 20;
// A worker thread or an event of one page may still be closing at page 2.
constexpr DWORD kHandleTolerance = 2;

// FNV-1a, 64 bits: enough to tell 26 MB pages apart, cheap to run as rows stream.
struct SPageHash {
    uint64_t value = 14695981039346656037ull;
    size_t bytes = 0;
    void Add(const char *data, size_t size) {
        for (size_t i = 0; i < size; ++i)
            value = (value ^ static_cast<unsigned char>(data[i])) * 1099511628211ull;
        bytes += size;
    }
};

void Print(const char *when, const SProcessFigures &f) {
    std::printf(
        "%s: committed private %zu KB (PrivateUsage %zu KB), working set %zu KB, handles %lu "
        "(probed %lu), "
        "GDI %lu, USER %lu, windows %lu\n",
        when, f.committedPrivate >> 10, f.privateBytes >> 10, f.workingSet >> 10, f.handles,
        f.handlesProbed, f.gdiObjects, f.userObjects, f.windows);
}

class TwainFeederSoak : public CTwainScanTest {};

TEST_F(TwainFeederSoak, FiftySheetsInOneJobLeaveMemoryAndHandlesFlat) {
    Scenario({"--feeder-sheets", std::to_string(kSheets)});
    SScanSetup setup;
    setup.paperPlace = 1;
    setup.resolution = 1;
    std::vector<SPageHash> received(kSheets + 1);
    std::vector<STransferredPage> summaries;
    // Page 49 is measured as well: like page 2 it ends with the job going
    // on, so the two differ by nothing but 47 pages.
    SProcessFigures afterPage2, afterPage49, afterPage50;
    SAcquireOptions options;
    options.mech = EXferMech::Memory;
    options.onMemBytes = [&](int page, const char *bytes, size_t size) {
        if (page <= kSheets)
            received[page].Add(bytes, size);
    };
    options.onPage = [&](int page, const STransferredPage &p) {
        summaries.push_back(p);
        if (page == 2)
            afterPage2 = SProcessFigures::Measure();
        if (page == kSheets - 1)
            afterPage49 = SProcessFigures::Measure();
        if (page == kSheets)
            afterPage50 = SProcessFigures::Measure();
    };
    const DWORD start = ::GetTickCount();
    const SAcquisition scan = Scan(setup, options);
    const DWORD elapsed = ::GetTickCount() - start;
    ASSERT_TRUE(scan.xferReady);
    ASSERT_EQ(summaries.size(), static_cast<size_t>(kSheets));
    std::printf("%d sheets in %lu ms\n", kSheets, elapsed);
    Print("after page 2", afterPage2);
    Print("after page 49", afterPage49);
    Print("after page 50", afterPage50);

    for (int i = 0; i < kSheets; ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        EXPECT_EQ(summaries[i].rc, TWRC_XFERDONE);
        EXPECT_EQ(summaries[i].pendingCount, i + 1 < kSheets ? 0xffff : 0);
    }
    for (const SProcessFigures *later : {&afterPage49, &afterPage50}) {
        SCOPED_TRACE(later == &afterPage49 ? "page 49 against page 2" : "page 50 against page 2");
        EXPECT_LE(later->privateBytes, afterPage2.privateBytes + kPrivateBytesTolerance);
        EXPECT_LE(later->committedPrivate, afterPage2.committedPrivate + kPrivateBytesTolerance);
        EXPECT_LE(later->workingSet, afterPage2.workingSet + kWorkingSetTolerance);
        EXPECT_LE(later->handles, afterPage2.handles + kHandleTolerance);
        EXPECT_LE(later->handlesProbed, afterPage2.handlesProbed + kHandleTolerance);
        EXPECT_LE(later->gdiObjects, afterPage2.gdiObjects);
        EXPECT_LE(later->userObjects, afterPage2.userObjects);
        EXPECT_LE(later->windows, afterPage2.windows);
    }
    EXPECT_TRUE(m_client->Operator().MessageBoxTexts().empty());

    // Every page against what the simulator sent, once the figures are taken.
    for (int page = 1; page <= kSheets; ++page) {
        SPageHash sent;
        const std::string bytes = CSimulatorClient::Page(m_session, page);
        sent.Add(bytes.data(), bytes.size());
        EXPECT_EQ(received[page].bytes, sent.bytes) << "page " << page;
        EXPECT_EQ(received[page].value, sent.value) << "page " << page;
    }
    ExpectClosesCleanly();
    EXPECT_FALSE(Job().open);
}

}  // namespace
