// corvscan.exe end to end: Wine's own source manager, our source installed
// where it looks, the scan server simulator behind the source. The test
// plays the user: it starts the program, presses the source's buttons,
// types the program's keys, and reads what happened from the program's
// diagnostic log, the simulator and the windows on the screen.
#include <gtest/gtest.h>

#include "ScanUtilityFixture.h"
#include "SimJobState.h"

namespace {

class ScanUtility : public CScanUtilityFixture {
protected:
    void SetUp() override {
        // The user's source configuration: the simulator, grey at 200 dpi, A4 from the feeder.
        SScanSetup setup;
        setup.paperPlace = 1;
        setup.colorMode = 1;
        Prepare({"--feeder-sheets", "3"}, setup);
    }

    // Scan in the source's dialog; every sheet of the feeder comes through
    // and is saved as one multi-page TIFF.
    void ScanThreeSheets(CUtilityRun &run, HWND dialog, int scansBefore) {
        const int before = CSimJobState::LastSession();
        CUtilityRun::Press(dialog, IDOK);
        const HWND save = run.WaitForSaveDialog(kWindowTimeoutMs);
        ASSERT_NE(save, nullptr);
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        const std::wstring file = std::wstring(temp) + L"three" + std::to_wstring(scansBefore);
        ::DeleteFileW((file + L".tif").c_str());
        CUtilityRun::AnswerSaveDialog(save, file, 3, false);
        ASSERT_TRUE(
            CUtilityRun::WaitForLog("saving done, 1 files", scansBefore + 1, kScanTimeoutMs));
        const int session = CSimJobState::LastSession();
        ASSERT_GT(session, before);
        const auto job = CSimJobState::Of(session);
        ASSERT_TRUE(job.has_value());
        EXPECT_EQ(job->pages.size(), 3u);
        EXPECT_EQ(CUtilityRun::CountLog("MSG_XFERREADY"), scansBefore + 1);
        EXPECT_EQ(CUtilityRun::CountLog(", more pages"), 2 * (scansBefore + 1));
        EXPECT_EQ(CUtilityRun::CountLog("no more pages"), scansBefore + 1);
        EXPECT_NE(::GetFileAttributesW((file + L".tif").c_str()), INVALID_FILE_ATTRIBUTES);
        ::DeleteFileW((file + L".tif").c_str());
        EXPECT_TRUE(run.MessageBoxes().empty());
        EXPECT_FALSE(::IsWindowEnabled(run.MainWindow())) << "the source still has the user";
    }

    // The source's Close button: the program closes source and manager in order.
    void CloseSource(CUtilityRun &run, HWND dialog, int closesBefore) {
        CUtilityRun::Press(dialog, IDCANCEL);
        ASSERT_TRUE(CUtilityRun::WaitForLog("closeDSM", closesBefore + 1, kWindowTimeoutMs));
        EXPECT_TRUE(CUtilityRun::WaitFor([&] { return !::IsWindow(dialog); }, kWindowTimeoutMs));
        EXPECT_TRUE(::IsWindowEnabled(run.MainWindow()));
    }
};

// The lines of the log from `first` on that are TWAIN steps, in order.
std::vector<std::string> Steps(const std::vector<std::string> &lines) {
    std::vector<std::string> steps;
    for (const std::string &line : lines)
        for (const char *step : {"loadDSM", "openDSM", "openDS ", "enableDS", "MSG_XFERREADY",
                                 "MSG_CLOSEDSREQ", "disableDS", "closeDS", "closeDSM"})
            if (line.rfind(step, 0) == 0 && (std::string(step) != "closeDS" || line == "closeDS"))
                steps.push_back(step == std::string("openDS ") ? "openDS" : step);
    return steps;
}

TEST_F(ScanUtility, StartsTheSourceScansTheFeederClosesAndScansAgainByKey) {
    CUtilityRun::WriteProfile({{"Startup", "1"}, {"Unit", "2"}});
    CUtilityRun run;
    ASSERT_TRUE(run.Start());

    // "Startup" = 1: the source's dialog comes up by itself, once.
    HWND dialog = WaitForSourceDialog(run);
    ASSERT_NE(dialog, nullptr);
    HWND main = run.MainWindow();
    ASSERT_NE(main, nullptr);
    ::Sleep(300);
    EXPECT_EQ(run.Windows(L"Corvane QM スキャン", L"#32770").size(), 1u);
    EXPECT_EQ(CUtilityRun::CountLog("startup scan"), 1);
    EXPECT_EQ(CUtilityRun::CountLog("enableDS"), 1);
    EXPECT_FALSE(::IsWindowEnabled(main));
    EXPECT_EQ(::GetParent(dialog), main) << "the source's dialog belongs to the main window";

    // The unit of the utility's settings is the dialog's unit.
    EXPECT_EQ(CUtilityRun::CountLog("unit request answered with 2"), 1);
    EXPECT_EQ(CUtilityRun::ControlText(dialog, 1129), L"(0.591～11.693inch)");

    // Our source listed, Wine's own camera source left out.
    EXPECT_EQ(CUtilityRun::CountLog("Tessaly / Corvane QM / Corvane QM Network Scanner listed"), 1);
    EXPECT_EQ(CUtilityRun::CountLog("current DS Corvane QM Network Scanner"), 1);

    ScanThreeSheets(run, dialog, 0);
    CloseSource(run, dialog, 1);  // the listing at start closed the manager once
    EXPECT_EQ(Steps(CUtilityRun::LogLines()),
              (std::vector<std::string>{"loadDSM", "openDSM", "closeDSM",  // listing
                                        "loadDSM", "openDSM", "openDS", "enableDS", "MSG_XFERREADY",
                                        "MSG_CLOSEDSREQ", "disableDS", "closeDS", "closeDSM"}));

    // Ctrl+S opens everything afresh.
    CUtilityRun::TypeControlKey(main, 'S');
    dialog = WaitForSourceDialog(run);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(CUtilityRun::CountLog("scan command"), 2);
    EXPECT_EQ(CUtilityRun::CountLog("loadDSM"), 3);
    ScanThreeSheets(run, dialog, 1);
    CloseSource(run, dialog, 2);

    // Ctrl+Q ends the program, which keeps its settings.
    CUtilityRun::TypeControlKey(main, 'Q');
    EXPECT_EQ(run.WaitForExit(kWindowTimeoutMs), 0u);
    EXPECT_EQ(CUtilityRun::CountLog("exit command"), 1);
    EXPECT_EQ(CUtilityRun::ProfileValue("Unit"), "2");
    EXPECT_EQ(CUtilityRun::ProfileValue("Startup"), "1");
    EXPECT_EQ(CUtilityRun::ProfileValue("JPEG Quality"), "1");
    EXPECT_EQ(CUtilityRun::ProfileValue("Current DS"), "");
}

TEST_F(ScanUtility, ASecondStartHandsOverToTheFirstAndEnds) {
    CUtilityRun::WriteProfile({{"Startup", "0"}});
    CUtilityRun first;
    ASSERT_TRUE(first.Start());
    HWND main = nullptr;
    ASSERT_TRUE(CUtilityRun::WaitFor([&] { return (main = first.MainWindow()) != nullptr; },
                                     kWindowTimeoutMs));
    ::ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(CUtilityRun::WaitFor([&] { return ::IsIconic(main) != FALSE; }, 5000));

    CUtilityRun second;
    ASSERT_TRUE(second.Start());
    // The first holds the log, so the second's exit and the first window
    // tell what it did.
    EXPECT_EQ(second.WaitForExit(kWindowTimeoutMs), 0u);
    EXPECT_TRUE(CUtilityRun::WaitFor([&] { return !::IsIconic(main); }, 5000))
        << "the first window is shown again";
    EXPECT_EQ(::GetForegroundWindow(), main);
    EXPECT_EQ(first.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(CUtilityRun::CountLog("scan command"), 0) << "Startup 0 starts no scan";
    ::PostMessageW(main, WM_COMMAND, 32772, 0);
    EXPECT_EQ(first.WaitForExit(kWindowTimeoutMs), 0u);
}

}  // namespace

namespace {

// The foreign source stands in for Wine's own second source while a test runs.
class CForeignSourceInstall {
public:
    CForeignSourceInstall() {
        ::CopyFileW(Target().c_str(), Saved().c_str(), FALSE);
        m_installed = ::CopyFileW(CORV_FOREIGN_SOURCE_DS, Target().c_str(), FALSE) != 0;
        CUtilityRun::LoadFilesOf({L"gphoto2.ds"});
    }
    ~CForeignSourceInstall() {
        ::CopyFileW(Saved().c_str(), Target().c_str(), FALSE);
        ::DeleteFileW(Saved().c_str());
        ::SetEnvironmentVariableA("CORV_FOREIGN_SOURCE", nullptr);
        CUtilityRun::LoadFilesOf({});
    }
    bool Done() const { return m_installed; }

private:
    static std::wstring Target() { return WineSourceFolder() + L"\\gphoto2.ds"; }
    static std::wstring Saved() { return WineSourceFolder() + L"\\gphoto2.ds.saved"; }
    bool m_installed = false;
};

TEST_F(ScanUtility, AForeignSourceIsLeftOutAndASecondOfOursChosenByName) {
    CForeignSourceInstall foreign;
    ASSERT_TRUE(foreign.Done());
    struct SCase {
        const char *identity;
        const char *saved;
        const char *logged;
        const char *current;
    } cases[] = {
        {"Other Maker|Other Family|Foreign Scanner", "",
         "Other Maker / Other Family / Foreign Scanner left out",
         "current DS Corvane QM Network Scanner"},
        {"tessaly|Corvane QM|Lower Case", "Lower Case",
         "tessaly / Corvane QM / Lower Case left out", "current DS Corvane QM Network Scanner"},
        {"Tessaly|Corvane QM|Second Scanner", "Second Scanner",
         "Tessaly / Corvane QM / Second Scanner listed", "current DS Second Scanner"},
        {"Tessaly|Corvane QM|Second Scanner", "", "Tessaly / Corvane QM / Second Scanner listed",
         "current DS Corvane QM Network Scanner"},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.identity);
        CUtilityRun::ResetLog();
        ::SetEnvironmentVariableA("CORV_FOREIGN_SOURCE", c.identity);
        CUtilityRun::WriteProfile({{"Startup", "0"}, {"Current DS", c.saved}});
        CUtilityRun run;
        ASSERT_TRUE(run.Start());
        HWND main = nullptr;
        ASSERT_TRUE(CUtilityRun::WaitFor([&] { return (main = run.MainWindow()) != nullptr; },
                                         kWindowTimeoutMs));
        EXPECT_EQ(CUtilityRun::CountLog(c.logged), 1);
        EXPECT_EQ(CUtilityRun::CountLog("Corvane QM Network Scanner listed"), 1);
        EXPECT_EQ(CUtilityRun::CountLog("current DS"), 1);
        EXPECT_EQ(CUtilityRun::CountLog(c.current), 1);
        CUtilityRun::TypeControlKey(main, 'Q');
        EXPECT_EQ(run.WaitForExit(kWindowTimeoutMs), 0u);
    }
}

}  // namespace
