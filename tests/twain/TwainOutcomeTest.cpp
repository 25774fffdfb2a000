// What a transfer that does not finish leaves behind, for each mechanism:
// the user pressing Cancel in the progress dialog in the middle of a page,
// the server dropping the connection or sending too few bytes, and a
// transfer file that cannot be written. The return code, the condition
// code, the TWAIN state the next triplets show, the message boxes the user
// saw, the server's job and the transfer file; afterwards the application
// ends the transfer and closes the source as usual.
#include <cstdio>
#include <cstring>

#include "SimulatorClient.h"
#include "TwainScanTest.h"

namespace {

enum class EFault { UserCancel, DroppedConnection, ShortData, WriteFailure };
enum class EBoxes { None, One, Unchecked };

// The job's error box for a page stream that ends before its announced
// size, whether the server closed the connection or sent too few bytes:
// the text of server result 32768.
constexpr const wchar_t *kStreamEndedText = L"サーバーにてスキャンをキャンセルされました。";

struct SOutcomeCase {
    std::string name;
    EXferMech mech;
    EFault fault;
    bool reset;  // MSG_RESET after the failure instead of MSG_ENDXFER
    TW_UINT16 rc;
    TW_UINT16 conditionCode;
    int state;
    EBoxes boxes;
    bool jobEndedByTransfer;
};

// Grey A4 at 200 dpi: 3.87 MB, read in about two seconds at the slowed
// rate, so that Cancel lands in the middle of the read loop.
constexpr const char *kSlowRate = "2000000";
constexpr int kCancelAfterMs = 500;
constexpr int kCancelAfterBlocks = 3;
constexpr DWORD kCancelSettleMs = 5000;

const SOutcomeCase kCases[] = {
    {"native_user_cancel", EXferMech::Native, EFault::UserCancel, false, TWRC_CANCEL, TWCC_SUCCESS,
     5, EBoxes::None, true},
    {"native_user_cancel_then_reset", EXferMech::Native, EFault::UserCancel, true, TWRC_CANCEL,
     TWCC_SUCCESS, 5, EBoxes::None, true},
    {"native_dropped_connection", EXferMech::Native, EFault::DroppedConnection, false, TWRC_CANCEL,
     TWCC_SUCCESS, 5, EBoxes::One, true},
    {"native_short_data", EXferMech::Native, EFault::ShortData, false, TWRC_CANCEL, TWCC_SUCCESS, 5,
     EBoxes::One, true},
    {"memory_user_cancel", EXferMech::Memory, EFault::UserCancel, false, TWRC_CANCEL, TWCC_SUCCESS,
     5, EBoxes::None, true},
    {"memory_dropped_connection", EXferMech::Memory, EFault::DroppedConnection, false, TWRC_FAILURE,
     TWCC_OPERATIONERROR, 7, EBoxes::One, false},
    {"memory_dropped_connection_then_reset", EXferMech::Memory, EFault::DroppedConnection, true,
     TWRC_FAILURE, TWCC_OPERATIONERROR, 7, EBoxes::One, false},
    {"memory_short_data", EXferMech::Memory, EFault::ShortData, false, TWRC_FAILURE,
     TWCC_OPERATIONERROR, 7, EBoxes::One, false},
    {"file_user_cancel", EXferMech::File, EFault::UserCancel, false, TWRC_CANCEL, TWCC_SUCCESS, 5,
     EBoxes::None, true},
    {"file_dropped_connection", EXferMech::File, EFault::DroppedConnection, false, TWRC_FAILURE,
     TWCC_OPERATIONERROR, 7, EBoxes::One, false},
    {"file_short_data", EXferMech::File, EFault::ShortData, false, TWRC_FAILURE,
     TWCC_OPERATIONERROR, 7, EBoxes::One, false},
    {"file_write_failure", EXferMech::File, EFault::WriteFailure, false, TWRC_FAILURE,
     TWCC_OPERATIONERROR, 6, EBoxes::Unchecked, false},
};

void PrintTo(const SOutcomeCase &c, std::ostream *out) {
    *out << c.name;
}

std::vector<std::string> ScenarioOf(const SOutcomeCase &c) {
    switch (c.fault) {
        case EFault::UserCancel:
            return c.mech == EXferMech::Memory
                       ? std::vector<std::string>{}
                       : std::vector<std::string>{"--image-rate", kSlowRate};
        case EFault::DroppedConnection:
            return {"--drop-at", "GET_IMAGE:byte=1000000"};
        case EFault::ShortData:
            return {"--short-data", "100000"};
        default:
            return {};
    }
}

// A folder of its own for the transfer files, so that nothing else is
// mistaken for a file the source left behind.
std::string TransferFolder() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "corv_twain_outcome";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

SScanSetup GreyA4() {
    SScanSetup setup;
    setup.colorMode = 1;
    return setup;
}

class TwainOutcome : public CTwainScanTest, public ::testing::WithParamInterface<SOutcomeCase> {
protected:
    // The user presses Cancel in the progress dialog between two memory blocks.
    void CancelBetweenBlocks(int page, const SMemBlock &, int &blocks) {
        if (page != 1 || ++blocks != kCancelAfterBlocks)
            return;
        ASSERT_TRUE(CDialogOperator::PressCancel(CDialogOperator::FindProgressDialog()));
        EXPECT_TRUE(m_client->PumpUntil(
            [] { return CDialogOperator::FindProgressDialog() == nullptr; }, kCancelSettleMs));
    }
};

TEST_P(TwainOutcome, TransferEndsAsTheTableSays) {
    const SOutcomeCase &c = GetParam();
    Scenario(ScenarioOf(c));
    const std::string folder = TransferFolder() + "\\" + c.name;
    ::CreateDirectoryA(folder.c_str(), nullptr);
    int blocks = 0;
    bool jobOpenAfterTransfer = true;
    SAcquireOptions options;
    options.mech = c.mech;
    options.filePrefix = folder + "\\page";
    options.resetAfterFailure = c.reset;
    if (c.fault == EFault::UserCancel && c.mech != EXferMech::Memory)
        options.cancelAfterMs = kCancelAfterMs;
    if (c.fault == EFault::UserCancel && c.mech == EXferMech::Memory)
        options.onMemBlock = [&](int page, const SMemBlock &block) {
            CancelBetweenBlocks(page, block, blocks);
        };
    if (c.fault == EFault::WriteFailure)
        options.beforeFileXfer = [&](const std::string &file) {
            // The folder goes away after the file was set up.
            ASSERT_TRUE(::DeleteFileA(file.c_str()));
            ASSERT_TRUE(::RemoveDirectoryA(folder.c_str()));
        };
    options.onTransferred = [&](int, const STransferredPage &) {
        jobOpenAfterTransfer = CSimulatorClient::JobOpen(CSimJobState::LastSession());
    };

    const SAcquisition scan = Scan(GreyA4(), options);
    ASSERT_TRUE(scan.xferReady);
    ASSERT_EQ(scan.pages.size(), 1u);
    const STransferredPage &page = scan.pages[0];
    EXPECT_EQ(page.rc, c.rc);
    EXPECT_EQ(page.conditionCode, c.conditionCode);
    EXPECT_EQ(page.stateAfter, c.state);
    EXPECT_EQ(jobOpenAfterTransfer, !c.jobEndedByTransfer) << "server job right after the transfer";
    const auto boxes = m_client->Operator().MessageBoxTexts();
    for (const auto &text : boxes)
        std::printf("message box: %s\n", Utf8(text).c_str());
    if (c.boxes == EBoxes::None) {
        EXPECT_TRUE(boxes.empty()) << Utf8(boxes.empty() ? L"" : boxes[0]);
    }
    if (c.boxes == EBoxes::One) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(Utf8(boxes[0]), Utf8(kStreamEndedText));
    }
    if (c.fault == EFault::UserCancel && c.mech != EXferMech::Memory) {
        EXPECT_TRUE(m_client->Operator().ProgressCancelPressed());
    }
    if (c.mech == EXferMech::Memory) {
        EXPECT_LT(page.data.size(), static_cast<size_t>(Job().pages.at(0).bytes))
            << "ended in the middle of the page";
    }
    if (c.mech == EXferMech::File) {
        EXPECT_FALSE(page.fileLeft) << page.fileName;
    }

    EXPECT_EQ(page.pendingRc, TWRC_SUCCESS);
    EXPECT_EQ(page.pendingCount, 0);
    EXPECT_EQ(m_client->ProbeState(), 5);
    EXPECT_TRUE(::IsWindowEnabled(m_client->MainDialog())) << "the user can scan again or close";
    const CSimJobState job = Job();
    EXPECT_FALSE(job.open);
    EXPECT_EQ(job.closedBy, "END_JOB");
    ExpectClosesCleanly();
    ::RemoveDirectoryA(folder.c_str());
}

INSTANTIATE_TEST_SUITE_P(Outcomes, TwainOutcome, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SOutcomeCase> &info) {
                             return info.param.name;
                         });

}  // namespace

namespace {

// After a transfer file could not be written the page is still there
// (state 6): the application may name another file and get the page.
class TwainFileRecovery : public CTwainScanTest {};

TEST_F(TwainFileRecovery, PageStaysForAnotherFileAfterAWriteFailure) {
    const std::string folder = TransferFolder() + "\\retry";
    const std::string lost = folder + "\\lost.bmp";
    const std::string good = TransferFolder() + "\\retry.bmp";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::DeleteFileA(good.c_str());
    Configure(GreyA4());
    ASSERT_EQ(m_client->Enable(), TWRC_SUCCESS);
    m_client->PressScan();
    ASSERT_EQ(m_client->WaitForSourceMessage(kSourceMessageTimeoutMs), MSG_XFERREADY);
    m_session = CSimJobState::LastSession();

    TW_SETUPFILEXFER setup{};
    std::strcpy(setup.FileName, lost.c_str());
    setup.Format = TWFF_BMP;
    ASSERT_EQ(m_client->Control(DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    ASSERT_TRUE(::DeleteFileA(lost.c_str()));
    ASSERT_TRUE(::RemoveDirectoryA(folder.c_str()));
    EXPECT_EQ(m_client->Image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(m_client->ConditionCode(), TWCC_OPERATIONERROR);
    EXPECT_EQ(m_client->ProbeState(), 6);

    std::strcpy(setup.FileName, good.c_str());
    ASSERT_EQ(m_client->Control(DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(m_client->Image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    const CSimJobState job = Job();
    ASSERT_EQ(job.pages.size(), 1u);
    std::string file;
    if (FILE *f = std::fopen(good.c_str(), "rb")) {
        char buffer[65536];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            file.append(buffer, got);
        std::fclose(f);
    }
    EXPECT_EQ(CServerPage::Fetch(m_session, job.pages[0]).CheckBmpFile(file), "");
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(m_client->Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    ExpectClosesCleanly();
    ::DeleteFileA(good.c_str());
}

}  // namespace
