#include "TwainScanTest.h"

#include "SimulatorClient.h"

void CTwainScanTest::SetUp() {
    ASSERT_NE(CSimulatorClient::Port(), 0) << "simulator not running";
    Scenario({});
    ASSERT_TRUE(CTwainTestClient::InstallSource()) << "corvsrc.ds beside the test program";
    m_client = std::make_unique<CTwainTestClient>();
    ASSERT_TRUE(m_client->OpenManager());
    ASSERT_TRUE(m_client->OpenSource());
}

void CTwainScanTest::TearDown() {
    m_client.reset();
}

void CTwainScanTest::Scenario(const std::vector<std::string> &args) {
    ASSERT_TRUE(CSimulatorClient::SetScenario(args));
}

void CTwainScanTest::Configure(const SScanSetup &setup, int port) {
    const CSourceSettingsFile file(CTwainTestClient::InstalledSourcePath());
    ASSERT_FALSE(file.Path().empty()) << "settings folder of the source";
    ASSERT_TRUE(file.Write(setup, "127.0.0.1", port ? port : CSimulatorClient::Port()));
}

SAcquisition CTwainScanTest::Scan(const SScanSetup &setup, const SAcquireOptions &options) {
    Configure(setup);
    const int before = CSimJobState::LastSession();
    SAcquisition result = m_client->Acquire(options);
    const int after = CSimJobState::LastSession();
    m_session = after > before ? after : 0;
    return result;
}

CSimJobState CTwainScanTest::Job() const {
    return CSimJobState::Of(m_session).value_or(CSimJobState{});
}

std::vector<std::string> CTwainScanTest::Commands() {
    std::vector<std::string> out;
    for (const auto &r : CSimulatorClient::Requests())
        if (!r.command.empty() && r.command != "HEART_BEAT_JOB")
            out.push_back(r.command);
    return out;
}

void CTwainScanTest::ExpectClosesCleanly() {
    EXPECT_EQ(m_client->Disable(), TWRC_SUCCESS);
    EXPECT_EQ(m_client->CloseSource(), TWRC_SUCCESS);
    EXPECT_EQ(m_client->CloseManager(), TWRC_SUCCESS);
}

void CTwainScanTest::ExpectPagesAsSent(
    const SAcquisition &scan, EXferMech mech, size_t pages,
    const std::function<void(const CServerPage &, const STransferredPage &)> &inspect) {
    ASSERT_TRUE(scan.xferReady);
    const CSimJobState job = Job();
    ASSERT_EQ(job.pages.size(), pages) << "pages the simulator scanned";
    ASSERT_EQ(scan.pages.size(), pages) << "pages transferred";
    for (size_t i = 0; i < pages; ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const STransferredPage &got = scan.pages[i];
        const CServerPage sent = CServerPage::Fetch(m_session, job.pages[i]);
        ASSERT_EQ(sent.Bytes().size(), static_cast<size_t>(job.pages[i].bytes));
        EXPECT_EQ(got.infoRc, TWRC_SUCCESS);
        EXPECT_EQ(sent.CheckImageInfo(got.info), "");
        EXPECT_EQ(got.rc, TWRC_XFERDONE);
        EXPECT_EQ(got.stateAfter, 7);
        EXPECT_EQ(got.pendingRc, TWRC_SUCCESS);
        // Count -1 announces another sheet of the feeder.
        EXPECT_EQ(got.pendingCount, i + 1 < pages ? 0xffff : 0);
        switch (mech) {
            case EXferMech::Memory:
                EXPECT_EQ(sent.CheckMemoryBlocks(got.blocks, got.bufferSize), "");
                EXPECT_EQ(sent.CheckMemoryBytes(got.data), "");
                break;
            case EXferMech::Native:
                EXPECT_EQ(sent.CheckNativeDib(got.data), "");
                break;
            case EXferMech::File:
                EXPECT_EQ(sent.CheckBmpFile(got.data), "");
                break;
        }
        if (inspect)
            inspect(sent, got);
    }
    EXPECT_TRUE(m_client->Operator().MessageBoxTexts().empty());
}
