// The source as any TWAIN application meets it through Wine's source
// manager: listed and opened by its product family, negotiated, enabled
// with its dialog, and its requests delivered through MSG_PROCESSEVENT.
#include "TwainScanTest.h"

#include "SimulatorClient.h"

namespace {

class TwainSession : public CTwainScanTest {
protected:
    // Enable and Scan by hand, up to the source's first request.
    TW_UINT16 EnableAndPressScan(const SScanSetup &setup) {
        Configure(setup);
        EXPECT_EQ(m_client->Enable(), TWRC_SUCCESS);
        EXPECT_NE(m_client->MainDialog(), nullptr);
        m_client->PressScan();
        return m_client->WaitForSourceMessage(kSourceMessageTimeoutMs);
    }
    bool SimulatorJobOpen() { return CSimulatorClient::JobOpen(CSimJobState::LastSession()); }
};

TEST_F(TwainSession, EveryMechanismIsAcceptedAndTheDialogIsOwnedByTheParent) {
    // The source lists only memory transfers and keeps that value, yet
    // accepts the set: applications that set native or file go on with it.
    for (EXferMech mech : {EXferMech::Native, EXferMech::File, EXferMech::Memory})
        EXPECT_EQ(m_client->SetXferMech(mech), TWRC_SUCCESS) << static_cast<int>(mech);
    ASSERT_EQ(m_client->Enable(), TWRC_SUCCESS);
    HWND dialog = m_client->MainDialog();
    ASSERT_NE(dialog, nullptr) << "main dialog owned by the application's window";
    EXPECT_TRUE(::IsWindowVisible(dialog));
    EXPECT_TRUE(::IsWindowEnabled(dialog));

    m_client->PressClose();
    EXPECT_EQ(m_client->WaitForSourceMessage(kSourceMessageTimeoutMs), MSG_CLOSEDSREQ);
    ExpectClosesCleanly();
    EXPECT_FALSE(::IsWindow(dialog));
}

TEST_F(TwainSession, ScanRunsTheJobToTheFirstPageAndCloseEndsIt) {
    ASSERT_EQ(EnableAndPressScan(SScanSetup{}), MSG_XFERREADY);
    EXPECT_EQ(Commands(),
              (std::vector<std::string>{"BEGIN_JOB", "READY_BEGIN_JOB", "BEGIN_SCANPAGE",
                                        "READY_SCANPAGE", "BEGIN_GET_IMAGE"}));
    EXPECT_TRUE(SimulatorJobOpen());
    EXPECT_NE(CDialogOperator::FindProgressDialog(), nullptr)
        << "progress dialog stays up in state 6";

    m_client->PressClose();
    EXPECT_EQ(m_client->WaitForSourceMessage(kSourceMessageTimeoutMs), MSG_CLOSEDSREQ);
    EXPECT_FALSE(SimulatorJobOpen());
    const auto commands = Commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), "END_JOB");
    EXPECT_TRUE(m_client->Operator().MessageBoxTexts().empty());
    ExpectClosesCleanly();
}

TEST_F(TwainSession, ResetInState6EndsTheJobAndTheNextScanStartsAnother) {
    ASSERT_EQ(EnableAndPressScan(SScanSetup{}), MSG_XFERREADY);
    const int first = CSimJobState::LastSession();
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(m_client->Control(DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_EQ(m_client->ProbeState(), 5);
    EXPECT_FALSE(CSimulatorClient::JobOpen(first));
    EXPECT_TRUE(::IsWindowEnabled(m_client->MainDialog())) << "the dialog takes input again";

    m_client->PressScan();
    EXPECT_EQ(m_client->WaitForSourceMessage(kSourceMessageTimeoutMs), MSG_XFERREADY);
    EXPECT_GT(CSimJobState::LastSession(), first);
    ExpectClosesCleanly();
    EXPECT_FALSE(SimulatorJobOpen()) << "closing the source ends the job on the server";
}

// Scan start disables the dialog; once the last page is transferred the
// user must be able to use it again, for another scan or to close it (the
// close request is all an application waits for in state 5).
TEST_F(TwainSession, DialogTakesInputAgainAfterTheLastPage) {
    for (int paperPlace : {0, 1}) {
        SCOPED_TRACE(paperPlace ? "feeder" : "platen");
        SScanSetup setup;
        setup.paperPlace = paperPlace;
        setup.colorMode = 2;
        const SAcquisition scan = Scan(setup, SAcquireOptions{});
        ASSERT_EQ(scan.pages.size(), 1u);
        EXPECT_EQ(scan.pages[0].rc, TWRC_XFERDONE);
        EXPECT_EQ(scan.pages[0].pendingCount, 0);
        EXPECT_EQ(m_client->ProbeState(), 5);
        EXPECT_TRUE(::IsWindowEnabled(m_client->MainDialog()));
        m_client->PressClose();
        EXPECT_EQ(m_client->WaitForSourceMessage(kSourceMessageTimeoutMs), MSG_CLOSEDSREQ);
        ExpectClosesCleanly();
        EXPECT_FALSE(Job().open);
        m_client = std::make_unique<CTwainTestClient>();
        ASSERT_TRUE(m_client->OpenManager());
        ASSERT_TRUE(m_client->OpenSource());
    }
}

TEST_F(TwainSession, UnreachableServerShowsItsErrorBoxAndTheSourceStaysEnabled) {
    // Port 1 on the loopback address: nothing listens there.
    Configure(SScanSetup{}, 1);
    ASSERT_EQ(m_client->Enable(), TWRC_SUCCESS);
    m_client->PressScan();
    CDialogOperator &person = m_client->Operator();
    HWND dialog = m_client->MainDialog();
    EXPECT_TRUE(m_client->PumpUntil(
        [&] { return !person.MessageBoxTexts().empty() && ::IsWindowEnabled(dialog); },
        kSourceMessageTimeoutMs));
    const auto texts = person.MessageBoxTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find(L"（"), std::wstring::npos) << "transport text with its code";
    EXPECT_EQ(m_client->WaitForSourceMessage(200), MSG_NULL);
    EXPECT_EQ(m_client->ProbeState(), 5);
    ExpectClosesCleanly();
}

}  // namespace
