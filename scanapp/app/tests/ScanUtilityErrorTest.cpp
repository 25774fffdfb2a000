// Every failing TWAIN step of the utility against a source manager of the
// tests' own (FailingDsm.cpp) in the utility's place for TWAIN_32.DLL: the
// box the user sees, what the manager was asked, and that nothing was
// asked after the first failure of a sequence.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "DialogOperator.h"
#include "UtilityRun.h"

namespace {

constexpr UINT kAskClose = WM_APP + 0x5C;
constexpr UINT kAskTransfer = WM_APP + 0x5D;
constexpr DWORD kTimeoutMs = 20000;
constexpr DWORD kQuietMs = 600;
constexpr const char *kOurs = "Tessaly|Corvane QM|Corvane QM Network Scanner";

std::string RecordPath() {
    char dir[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "failing_dsm_calls.txt";
}

std::vector<std::string> Recorded() {
    std::ifstream in(RecordPath(), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Where the pages of a transfer go, without the extension the utility adds.
std::wstring SavePath() {
    wchar_t dir[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"failing_dsm_pages";
}

// The person at the screen: reads and confirms every box of the utility.
class CBoxReader {
public:
    explicit CBoxReader(const CUtilityRun &run) : m_run(run) {}
    void Look() {
        // The save dialog is answered with a multi-page TIFF in the temporary
        // folder; a question about an existing file with "no".
        if (HWND save = m_run.SaveDialog(); save && m_seen.insert(save).second)
            CUtilityRun::AnswerSaveDialog(save, SavePath(), 3, false);
        for (HWND ask : m_run.Windows(L"上書き確認", L"#32770"))
            if (m_seen.insert(ask).second)
                CUtilityRun::Press(ask, IDCANCEL);
        for (HWND box : m_run.MessageBoxes()) {
            if (!m_seen.insert(box).second)
                continue;
            m_texts.push_back(CUtilityRun::BoxText(box));
            CUtilityRun::Press(box, IDOK);
        }
    }
    const std::vector<std::wstring> &Texts() const { return m_texts; }

private:
    const CUtilityRun &m_run;
    std::set<HWND> m_seen;
    std::vector<std::wstring> m_texts;
};

const std::vector<std::string> kListing = {"OPENDSM", "GETFIRST", "GETNEXT", "CLOSEDSM"};
const std::vector<std::string> kOpen = {"OPENDSM", "OPENDS Corvane QM Network Scanner",
                                        "ENABLEDS to source"};
const std::vector<std::string> kAskedToClose = {"PROCESSEVENT CLOSEDSREQ", "DISABLEDS to source",
                                                "CLOSEDS", "CLOSEDSM"};
const std::vector<std::string> kAskedToTransfer = {"PROCESSEVENT XFERREADY",
                                                   "SETUPMEMXFER to source", "IMAGEINFO to source",
                                                   "IMAGEMEMXFER to source", "ENDXFER to source"};

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
// The first `n` lines of a sequence.
std::vector<std::string> Upto(const std::vector<std::string> &all, size_t n) {
    return std::vector<std::string>(all.begin(), all.begin() + static_cast<ptrdiff_t>(n));
}

struct SCase {
    const char *name;
    const char *fail;
    bool statusFails;
    UINT trigger;  // 0, kAskClose or kAskTransfer, posted once the source is enabled
    std::vector<std::wstring> boxes;
    std::vector<std::string> calls;
    bool mainEnabledAfter;
};

const std::wstring k201 = L"TWAIN Error.\nCannot get condition-code at ScanTwain.cpp(";

std::vector<SCase> Cases() {
    const auto afterOpen = Join({kListing, kOpen});
    return {
        {"open manager",
         "OPENDSM",
         false,
         0,
         {L"TWAIN Error.\n11 at OpenDSM", L"TWAIN Error.\n11 at OpenDSM"},
         {"OPENDSM", "STATUS", "OPENDSM", "STATUS"},
         true},
        {"list sources",
         "GETFIRST",
         false,
         0,
         {L"TWAIN Error.\n11 at GetDSList"},
         {"OPENDSM", "GETFIRST", "STATUS", "CLOSEDSM", "OPENDSM", "OPENDS ", "ENABLEDS to source"},
         false},
        {"open source",
         "OPENDS",
         false,
         0,
         {L"スキャナのTWAINドライバが見つかりません。"},
         Join({kListing, Upto(kOpen, 2), {"STATUS"}}),
         true},
        {"open source, no condition code",
         "OPENDS",
         true,
         0,
         {k201},
         Join({kListing, Upto(kOpen, 2), {"STATUS"}}),
         true},
        {"enable source",
         "ENABLEDS",
         false,
         0,
         {L"TWAIN Error.\n11 at EnableDS"},
         Join({kListing, kOpen, {"STATUS to source"}}),
         true},
        {"enable source, no condition code",
         "ENABLEDS",
         true,
         0,
         {k201},
         Join({kListing, kOpen, {"STATUS to source"}}),
         true},
        {"disable source",
         "DISABLEDS",
         false,
         kAskClose,
         {L"TWAIN Error.\n11 at DisableDS"},
         Join({afterOpen, Upto(kAskedToClose, 2), {"STATUS to source"}}),
         false},
        {"close source",
         "CLOSEDS",
         false,
         kAskClose,
         {L"TWAIN Error.\n11 at CloseDS"},
         Join({afterOpen, Upto(kAskedToClose, 3), {"STATUS to source"}}),
         true},
        {"close manager",
         "CLOSEDSM",
         false,
         kAskClose,
         {L"TWAIN Error.\n11 at CloseDSM", L"TWAIN Error.\n11 at CloseDSM"},
         // A listing that failed chooses no source.
         Join({kListing,
               {"STATUS", "OPENDSM", "OPENDS ", "ENABLEDS to source"},
               kAskedToClose,
               {"STATUS"}}),
         true},
        {"close request", "", false, kAskClose, {}, Join({afterOpen, kAskedToClose}), true},
        // A failing transfer step shows nothing of its own (the source has
        // said what went wrong); the source is told the page is done with,
        // and when even that fails, the rest is given up.
        {"transfer set-up",
         "SETUPMEMXFER",
         false,
         kAskTransfer,
         {},
         Join({afterOpen, Upto(kAskedToTransfer, 2), {"ENDXFER to source"}}),
         false},
        {"image information",
         "IMAGEINFO",
         false,
         kAskTransfer,
         {},
         Join({afterOpen, Upto(kAskedToTransfer, 3), {"ENDXFER to source"}}),
         false},
        {"memory transfer",
         "IMAGEMEMXFER",
         false,
         kAskTransfer,
         {},
         Join({afterOpen, Upto(kAskedToTransfer, 4), {"ENDXFER to source"}}),
         false},
        {"end of transfer",
         "ENDXFER",
         false,
         kAskTransfer,
         {},
         Join({afterOpen, kAskedToTransfer, {"ENDXFER to source", "RESET to source"}}),
         false},
        {"transfer", "", false, kAskTransfer, {}, Join({afterOpen, kAskedToTransfer}), false},
    };
}

class ScanUtilityErrors : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CUtilityRun::SaveManager();
        CUtilityRun::LoadFilesOf({L"twain_32"});
    }
    static void TearDownTestSuite() {
        CUtilityRun::LoadFilesOf({});
        CUtilityRun::RestoreManager();
    }

    void SetUp() override {
        ::SetEnvironmentVariableA("CORV_FAILING_DSM_DIALOG", nullptr);
        ASSERT_TRUE(CUtilityRun::InstallManager(CORV_FAILING_DSM));
        CUtilityRun::ResetLog();
        ::DeleteFileA(RecordPath().c_str());
        ::DeleteFileW((SavePath() + L".tif").c_str());
        ::SetEnvironmentVariableA("CORV_FAILING_DSM_LOG", RecordPath().c_str());
        ::SetEnvironmentVariableA("CORV_FAILING_DSM_SOURCES", kOurs);
        ::SetEnvironmentVariableA("CORV_FAILING_DSM_FAIL", nullptr);
        ::SetEnvironmentVariableA("CORV_FAILING_DSM_STATUS", nullptr);
        CUtilityRun::WriteProfile({{"Startup", "1"}});
    }

    // Runs the utility until it has shown `boxes` boxes and made `calls`
    // calls, then a moment longer to catch anything more; ends it.
    std::vector<std::wstring> Run(CUtilityRun &run, size_t boxes, size_t calls, UINT trigger,
                                  bool *mainEnabled = nullptr) {
        EXPECT_TRUE(run.Start());
        CBoxReader person(run);
        bool triggered = trigger == 0;
        CUtilityRun::WaitFor(
            [&] {
                person.Look();
                const auto recorded = Recorded();
                if (!triggered && std::find(recorded.begin(), recorded.end(),
                                            "ENABLEDS to source") != recorded.end()) {
                    ::PostMessageW(run.MainWindow(), trigger, 0, 0);
                    triggered = true;
                }
                return triggered && person.Texts().size() >= boxes && recorded.size() >= calls;
            },
            kTimeoutMs);
        CUtilityRun::WaitFor(
            [&] {
                person.Look();
                return false;
            },
            kQuietMs);
        if (mainEnabled)
            *mainEnabled = ::IsWindowEnabled(run.MainWindow()) != FALSE;
        // Ended through its menu command, as the user's Ctrl+Q would.
        ::PostMessageW(run.MainWindow(), WM_COMMAND, 32772, 0);
        CUtilityRun::WaitFor(
            [&] {
                person.Look();
                return run.WaitForExit(0) != STILL_ACTIVE;
            },
            kTimeoutMs);
        return person.Texts();
    }
};

TEST_F(ScanUtilityErrors, EachFailingStepShowsItsMessageAndStopsItsSequence) {
    for (const SCase &c : Cases()) {
        SCOPED_TRACE(c.name);
        SetUp();
        ::SetEnvironmentVariableA("CORV_FAILING_DSM_FAIL", c.fail);
        ::SetEnvironmentVariableA("CORV_FAILING_DSM_STATUS", c.statusFails ? "fail" : nullptr);
        CUtilityRun run;
        bool mainEnabled = false;
        const auto texts = Run(run, c.boxes.size(), c.calls.size(), c.trigger, &mainEnabled);
        const auto recorded = Recorded();
        // What followed the utility's exit (its quiet close) is not part of the case.
        ASSERT_GE(recorded.size(), c.calls.size());
        EXPECT_EQ(Upto(recorded, c.calls.size()), c.calls);
        ASSERT_EQ(texts.size(), c.boxes.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            if (c.boxes[i] == k201)
                EXPECT_EQ(texts[i].rfind(k201, 0), 0u) << Utf8(texts[i]);
            else
                EXPECT_EQ(texts[i], c.boxes[i]) << Utf8(texts[i]);
        }
        std::string log;
        for (const std::string &line : CUtilityRun::LogLines())
            log += line + "\n";
        EXPECT_EQ(mainEnabled, c.mainEnabledAfter) << log;
        EXPECT_EQ(run.WaitForExit(0), 0u);
    }
}

// The source's dialog asks for the unit when it opens; a box shown during a
// transfer is framed by requests to disable and enable its progress window.
TEST_F(ScanUtilityErrors, TheDialogGetsTheUnitAndItsProgressIsHeldAroundABox) {
    ::SetEnvironmentVariableA("CORV_FAILING_DSM_DIALOG", "1");
    // The file the pages would go to is there: the question about it is
    // asked while the source's progress is up.
    const std::wstring existing = SavePath() + L".tif";
    std::ofstream(existing.c_str()) << "old";
    CUtilityRun::WriteProfile({{"Startup", "1"}, {"Unit", "4"}});
    CUtilityRun run;
    const auto expected = Join({kListing,
                                kOpen,
                                {"UNIT 4"},
                                Upto(kAskedToTransfer, 2),
                                // The enabling is posted, the reset called: the call comes first.
                                {"PROGRESS 0", "RESET to source", "PROGRESS 1"}});
    const auto texts = Run(run, 0, expected.size(), kAskTransfer);
    ::SetEnvironmentVariableA("CORV_FAILING_DSM_DIALOG", nullptr);
    EXPECT_TRUE(texts.empty());
    EXPECT_EQ(CUtilityRun::CountLog("overwrite failing_dsm_pages.tif: no"), 1);
    std::ifstream kept(existing.c_str());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old");
    kept.close();
    ::DeleteFileW(existing.c_str());
    const auto recorded = Recorded();
    ASSERT_GE(recorded.size(), expected.size());
    EXPECT_EQ(Upto(recorded, expected.size()), expected);
    EXPECT_EQ(CUtilityRun::CountLog("unit request answered with 4"), 1);
}

TEST_F(ScanUtilityErrors, OurSourcesAreListedAndTheSavedNameChosen) {
    struct SChoice {
        std::string saved;
        std::string opened;
    } choices[] = {{"Second", "OPENDS Second"}, {"", "OPENDS First"}, {"Gone", "OPENDS First"}};
    for (const SChoice &c : choices) {
        SCOPED_TRACE(c.saved);
        SetUp();
        ::SetEnvironmentVariableA("CORV_FAILING_DSM_SOURCES",
                                  "Other Maker|Corvane QM|Foreign;tessaly|Corvane QM|Lower;"
                                  "Tessaly|Corvane QM|First;Tessaly|Other|Family;"
                                  "Tessaly|Corvane QM|Second");
        CUtilityRun::WriteProfile({{"Startup", "1"}, {"Current DS", c.saved}});
        CUtilityRun run;
        // Listing: OPENDSM, GETFIRST, 5 x GETNEXT, CLOSEDSM; then OPENDSM, OPENDS.
        const auto texts = Run(run, 0, 11, 0);
        EXPECT_TRUE(texts.empty());
        const auto recorded = Recorded();
        ASSERT_GE(recorded.size(), 11u);
        EXPECT_EQ(recorded[9], c.opened);
        for (const char *left : {"Foreign", "Lower", "Family"})
            EXPECT_EQ(CUtilityRun::CountLog(std::string("/ ") + left + " left out"), 1) << left;
        EXPECT_EQ(CUtilityRun::CountLog("First listed"), 1);
        EXPECT_EQ(CUtilityRun::CountLog("Second listed"), 1);
    }
}

TEST_F(ScanUtilityErrors, AMissingOrForeignManagerIsNamedByItsPath) {
    wchar_t dir[MAX_PATH] = {};
    ::GetWindowsDirectoryW(dir, MAX_PATH);
    const std::wstring path = std::wstring(dir) + L"\\TWAIN_32.DLL";
    struct SManager {
        const wchar_t *dll;  // null: none at all
        std::wstring text;
    } managers[] = {{nullptr, path + L"が見つかりません。"},
                    {CORV_NO_ENTRY_DLL, path + L"ファイルが壊れています。"}};
    for (const SManager &m : managers) {
        SetUp();
        ::DeleteFileW(path.c_str());
        if (m.dll) {
            ASSERT_TRUE(CUtilityRun::InstallManager(m.dll));
        }
        CUtilityRun run;
        // At window creation, and again for the scan at start-up.
        const auto texts = Run(run, 2, 0, 0);
        ASSERT_EQ(texts.size(), 2u);
        for (const std::wstring &text : texts)
            EXPECT_EQ(_wcsicmp(text.c_str(), m.text.c_str()), 0) << Utf8(text);
        EXPECT_TRUE(Recorded().empty());
    }
}

}  // namespace
