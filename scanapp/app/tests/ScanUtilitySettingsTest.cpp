// The utility's settings as the user changes them: the settings sheet's
// choices kept in the profile in the record's order (Cancel changing
// nothing), the unit chosen there shown by the source's dialog, and the
// defaults file beside the program serving a first start.
#include <gtest/gtest.h>

#include <fstream>

#include "SimulatorClient.h"
#include "TwainTestClient.h"
#include "UtilityRun.h"
#include "WineDsm.h"

namespace {

constexpr DWORD kTimeoutMs = 20000;
constexpr int kSettingsCommand = 32773;
constexpr int kUnitCombo = 1021;
constexpr int kSourceCombo = 1020;
constexpr int kStartupCheck = 1017;
constexpr const char *kKeyOrder[] = {"Path",
                                     "Type",
                                     "JPEG Quality",
                                     "BW Image Compression",
                                     "Gray Image Compression",
                                     "JPEG Quality(PDF)",
                                     "Encode",
                                     "Compression",
                                     "Startup",
                                     "Ask Compression Mode",
                                     "Current DS",
                                     "Unit",
                                     "Correction"};

class ScanUtilitySettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(CSimulatorClient::Port(), 0) << "simulator not running";
        ASSERT_TRUE(CTwainTestClient::InstallSource());
        CUtilityRun::LoadFilesOf({});
        ASSERT_TRUE(CUtilityRun::InstallManager(WineDsmPath()));
        CUtilityRun::ResetLog();
    }

    static HWND WaitForMain(const CUtilityRun &run) {
        HWND main = nullptr;
        CUtilityRun::WaitFor([&] { return (main = run.MainWindow()) != nullptr; }, kTimeoutMs);
        return main;
    }

    // Opens the sheet from the menu and waits for it.
    static HWND OpenSheet(const CUtilityRun &run, HWND main) {
        ::PostMessageW(main, WM_COMMAND, kSettingsCommand, 0);
        HWND sheet = nullptr;
        CUtilityRun::WaitFor(
            [&] {
                const auto found = run.Windows(L"環境設定", L"#32770");
                sheet = found.empty() ? nullptr : found.front();
                return sheet != nullptr && CUtilityRun::FindControl(sheet, kUnitCombo) != nullptr;
            },
            kTimeoutMs);
        return sheet;
    }

    static void ChooseUnit(HWND sheet, int index) {
        const HWND combo = CUtilityRun::FindControl(sheet, kUnitCombo);
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }

    // Leaves the sheet with OK or Cancel and waits until it is gone.
    static void Leave(HWND sheet, int button) {
        CUtilityRun::Press(sheet, button);
        EXPECT_TRUE(CUtilityRun::WaitFor([&] { return !::IsWindow(sheet); }, kTimeoutMs));
    }

    static void Quit(CUtilityRun &run, HWND main) {
        CUtilityRun::TypeControlKey(main, 'Q');
        EXPECT_EQ(run.WaitForExit(kTimeoutMs), 0u);
    }

    // The keys of the profile's section in file order.
    static std::vector<std::string> KeysInFile() {
        std::ifstream in(CUtilityRun::ProfilePath(), std::ios::binary);
        std::vector<std::string> keys;
        for (std::string line; std::getline(in, line);) {
            const size_t eq = line.find('=');
            if (eq != std::string::npos)
                keys.push_back(line.substr(0, eq));
        }
        return keys;
    }
};

TEST_F(ScanUtilitySettings, TheSheetsChoicesAreKeptAndCancelKeepsNothing) {
    CUtilityRun::WriteProfile({{"Startup", "0"}, {"Path", "C:\\scans\\"}, {"Type", "3"}});
    {
        CUtilityRun run;
        ASSERT_TRUE(run.Start());
        const HWND main = WaitForMain(run);
        ASSERT_NE(main, nullptr);
        HWND sheet = OpenSheet(run, main);
        ASSERT_NE(sheet, nullptr);
        const HWND unit = CUtilityRun::FindControl(sheet, kUnitCombo);
        EXPECT_EQ(::SendMessageW(unit, CB_GETCOUNT, 0, 0), 4);
        EXPECT_EQ(::SendMessageW(unit, CB_GETCURSEL, 0, 0), 0) << "Unit 1 is mm, the first";
        const HWND source = CUtilityRun::FindControl(sheet, kSourceCombo);
        EXPECT_EQ(::SendMessageW(source, CB_GETCOUNT, 0, 0), 1) << "our source only";
        EXPECT_EQ(::SendMessageW(source, CB_GETCURSEL, 0, 0), 0);
        EXPECT_TRUE(::IsWindowEnabled(source));
        EXPECT_EQ(CUtilityRun::ControlText(sheet, kStartupCheck), L"TwainDriverを自動起動する");
        EXPECT_EQ(::SendMessageW(CUtilityRun::FindControl(sheet, kStartupCheck), BM_GETCHECK, 0, 0),
                  BST_UNCHECKED);
        ChooseUnit(sheet, 3);  // 級
        Leave(sheet, IDOK);

        // Cancel after a change leaves the setting as OK left it.
        sheet = OpenSheet(run, main);
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(::SendMessageW(CUtilityRun::FindControl(sheet, kUnitCombo), CB_GETCURSEL, 0, 0),
                  3);
        ChooseUnit(sheet, 1);
        Leave(sheet, IDCANCEL);
        Quit(run, main);
    }
    EXPECT_EQ(CUtilityRun::ProfileValue("Unit"), "4");
    EXPECT_EQ(CUtilityRun::ProfileValue("Startup"), "0");
    EXPECT_EQ(CUtilityRun::ProfileValue("Path"), "C:\\scans\\") << "no control: kept";
    EXPECT_EQ(CUtilityRun::ProfileValue("Type"), "3") << "no control: kept";
    EXPECT_EQ(CUtilityRun::ProfileValue("Current DS"), "Corvane QM Network Scanner")
        << "OK takes the selected source";
    // A key the file had keeps its place; all thirteen are there.
    EXPECT_EQ(KeysInFile().size(), std::size(kKeyOrder));
}

TEST_F(ScanUtilitySettings, TheUnitChosenInTheSheetIsTheSourceDialogsUnit) {
    CUtilityRun::WriteProfile({{"Startup", "0"}, {"Unit", "1"}});
    CUtilityRun run;
    ASSERT_TRUE(run.Start());
    const HWND main = WaitForMain(run);
    ASSERT_NE(main, nullptr);
    const HWND sheet = OpenSheet(run, main);
    ASSERT_NE(sheet, nullptr);
    ChooseUnit(sheet, 1);  // inch
    Leave(sheet, IDOK);

    CUtilityRun::TypeControlKey(main, 'S');
    HWND dialog = nullptr;
    ASSERT_TRUE(
        CUtilityRun::WaitFor([&] { return (dialog = run.SourceDialog()) != nullptr; }, kTimeoutMs));
    EXPECT_EQ(CUtilityRun::CountLog("unit request answered with 2"), 1);
    EXPECT_EQ(CUtilityRun::ControlText(dialog, 1129), L"(0.591～11.693inch)");
    CUtilityRun::Press(dialog, IDCANCEL);
    ASSERT_TRUE(CUtilityRun::WaitForLog("closeDSM", 2, kTimeoutMs));
    Quit(run, main);
    EXPECT_EQ(CUtilityRun::ProfileValue("Unit"), "2");
}

TEST_F(ScanUtilitySettings, TheDefaultsFileBesideTheProgramServesTheFirstStart) {
    CUtilityRun::WriteProfile({});
    ASSERT_EQ(::GetFileAttributesA(CUtilityRun::ProfilePath().c_str()), INVALID_FILE_ATTRIBUTES);
    const std::wstring folder = L"C:\\corvscan-defaults";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring program = folder + L"\\corvscan.exe";
    ASSERT_TRUE(::CopyFileW(CUtilityRun::BuiltProgram().c_str(), program.c_str(), FALSE));
    const std::string defaults = "C:\\corvscan-defaults\\corvscan_Defaults.ini";
    ::DeleteFileA(defaults.c_str());
    for (const auto &[key, value] : {std::pair<const char *, const char *>{"Startup", "0"},
                                     {"JPEG Quality", "3"},
                                     {"Unit", "3"},
                                     {"Current DS", "Somewhere Else"}})
        ::WritePrivateProfileStringA("Settings", key, value, defaults.c_str());
    {
        CUtilityRun run;
        ASSERT_TRUE(run.Start(program));
        const HWND main = WaitForMain(run);
        ASSERT_NE(main, nullptr);
        ::Sleep(300);
        EXPECT_EQ(CUtilityRun::CountLog("scan command"), 0) << "Startup 0 from the defaults";
        Quit(run, main);
    }
    EXPECT_EQ(CUtilityRun::ProfileValue("JPEG Quality"), "3");
    EXPECT_EQ(CUtilityRun::ProfileValue("Unit"), "3");
    EXPECT_EQ(CUtilityRun::ProfileValue("Startup"), "0");
    EXPECT_EQ(CUtilityRun::ProfileValue("Current DS"), "Somewhere Else");
    // Keys the defaults file leaves out take the built-in defaults.
    EXPECT_EQ(CUtilityRun::ProfileValue("JPEG Quality(PDF)"), "1");
    EXPECT_EQ(CUtilityRun::ProfileValue("Encode"), "0");
    EXPECT_EQ(CUtilityRun::ProfileValue("Path"), "");
    // A new file has the keys in the record's order.
    EXPECT_EQ(KeysInFile(), std::vector<std::string>(std::begin(kKeyOrder), std::end(kKeyOrder)));
    ::DeleteFileW(program.c_str());
    ::DeleteFileA(defaults.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace
