// Saving, end to end: corvscan.exe under Wine with Wine's source manager,
// our source and the simulator. The test answers the save dialog and the
// boxes as a user would; the pixels of every file are compared with the
// pages the simulator sent by the decoders of saved_pages_check.sh, from
// the list this test writes beside the files.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "ScanUtilityFixture.h"
#include "SimJobState.h"

namespace {

// Where the files go, in the build tree, for the native check afterwards.
std::wstring OutFolder() {
    std::wstring folder = CORV_SAVE_OUT;
    for (wchar_t &c : folder)
        if (c == L'/')
            c = L'\\';
    return folder;
}

std::wstring Wide(const std::string &s) {
    return std::wstring(s.begin(), s.end());
}

std::string Narrow(const std::wstring &s) {
    return std::string(s.begin(), s.end());
}

std::string ReadFile(const std::wstring &path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::wstring &path, const std::string &bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

// The files of a case's folder.
std::set<std::string> FilesIn(const std::wstring &folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(Narrow(found.cFileName));
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return names;
}

class ScanUtilitySave : public CScanUtilityFixture {
protected:
    // A small custom page keeps each run short; 787 pixels a row at
    // 200 dpi is not a multiple of four, so the server pads every row.
    void Start(const std::vector<std::string> &scenario, int colorMode, int sheets,
               const std::vector<std::pair<std::string, std::string>> &profile = {}) {
        SScanSetup setup;
        setup.paperPlace = sheets > 0 ? 1 : 0;
        setup.colorMode = colorMode;
        setup.mediumSize = 2;
        std::vector<std::string> all = scenario;
        all.insert(all.end(), {"--feeder-sheets", std::to_string(sheets > 0 ? sheets : 1)});
        Prepare(all, setup);
        m_folder = OutFolder() + L"\\" +
                   Wide(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ::CreateDirectoryW(OutFolder().c_str(), nullptr);
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        for (const std::string &name : FilesIn(m_folder))
            ::DeleteFileW((m_folder + L"\\" + Wide(name)).c_str());
        auto keys = profile;
        keys.push_back({"Startup", "1"});
        CUtilityRun::WriteProfile(keys);
        ASSERT_TRUE(m_run.Start());
        m_source = WaitForSourceDialog(m_run);
        ASSERT_NE(m_source, nullptr);
        m_sessionBefore = CSimJobState::LastSession();
    }

    // Scan, and the save dialog answered.
    void ScanAndSave(const std::wstring &name, int type, bool askOptions = false) {
        CUtilityRun::Press(m_source, IDOK);
        HWND save = m_run.WaitForSaveDialog(kWindowTimeoutMs);
        ASSERT_NE(save, nullptr);
        CUtilityRun::AnswerSaveDialog(save, m_folder + L"\\" + name, type, askOptions);
    }

    // The overwrite question after `answered` earlier ones.
    HWND Question(int answered) {
        if (!CUtilityRun::WaitForLog("overwrite", answered, kWindowTimeoutMs))
            return nullptr;
        return m_run.WaitForDialog(L"上書き確認", kWindowTimeoutMs);
    }

    bool WaitForSaved() { return CUtilityRun::WaitForLog("saving done", 1, kScanTimeoutMs); }

    // The job the scan ran, closed by the time the utility is done.
    std::optional<CSimJobState> Job() {
        const int session = CSimJobState::LastSession();
        if (session <= m_sessionBefore)
            return std::nullopt;
        CUtilityRun::WaitFor([&] { return !CSimulatorClient::JobOpen(session); }, kWindowTimeoutMs);
        return CSimJobState::Of(session);
    }

    // `file` page `index` must hold sheet `sheet` of the job: the sheet's
    // rows without the server's padding go beside it for the check.
    void Expect(const std::string &file, int index, int sheet, bool lossy) {
        const auto job = Job();
        ASSERT_TRUE(job.has_value());
        ASSERT_LE(sheet, static_cast<int>(job->pages.size()));
        const SSimPageRecord &page = job->pages[sheet - 1];
        const std::string sent = CSimulatorClient::Page(job->session, sheet);
        const int samples = page.mode == 0 ? 3 : 1;
        const size_t row = static_cast<size_t>(page.width) * samples;
        ASSERT_EQ(sent.size(), static_cast<size_t>(page.stride) * page.height);
        std::string rows;
        for (int y = 0; y < page.height; ++y)
            rows.append(sent, static_cast<size_t>(y) * page.stride, row);
        const std::string raw = file + "." + std::to_string(index) + ".expected";
        WriteFile(m_folder + L"\\" + Wide(raw), rows);
        std::ofstream list((OutFolder() + L"\\manifest.txt").c_str(), std::ios::app);
        list << Narrow(m_folder.substr(OutFolder().size() + 1)) << "/" << file << '\t' << index
             << '\t' << raw << '\t' << page.width << '\t' << page.height << '\t'
             << (samples == 3 ? "rgb" : "gray") << '\t' << (lossy ? "psnr" : "exact") << '\n';
    }

    void ExpectFiles(const std::set<std::string> &names) {
        std::set<std::string> files;
        for (const std::string &f : FilesIn(m_folder))
            if (f.find(".expected") == std::string::npos)
                files.insert(f);
        EXPECT_EQ(files, names);
    }

    // The utility can scan again at once: the source's dialog is back.
    void ExpectReadyAgain() {
        EXPECT_TRUE(CUtilityRun::WaitFor([&] { return ::IsWindowEnabled(m_source) != FALSE; },
                                         kWindowTimeoutMs));
        EXPECT_TRUE(m_run.MessageBoxes().empty());
    }

    void TearDown() override {
        if (m_source && ::IsWindow(m_source)) {
            CUtilityRun::Press(m_source, IDCANCEL);
            CUtilityRun::WaitForLog("closeDSM", 2, kWindowTimeoutMs);
        }
        if (const HWND main = m_run.MainWindow())
            ::PostMessageW(main, WM_COMMAND, 32772, 0);
        EXPECT_EQ(m_run.WaitForExit(kWindowTimeoutMs), 0u);
    }

    CUtilityRun m_run;
    HWND m_source = nullptr;
    std::wstring m_folder;
    int m_sessionBefore = 0;
};

TEST_F(ScanUtilitySave, FiveSheetsAsTiffAreNumberedAndHoldThePagesSent) {
    Start({}, 1, 5);
    ScanAndSave(L"x", 1);
    ASSERT_TRUE(WaitForSaved());
    ExpectFiles({"x.tif", "x2.tif", "x3.tif", "x4.tif", "x5.tif"});
    Expect("x.tif", 0, 1, false);
    for (int n = 2; n <= 5; ++n)
        Expect("x" + std::to_string(n) + ".tif", 0, n, false);
    ExpectReadyAgain();
}

TEST_F(ScanUtilitySave, MultiPageTiffAndPdfHoldEverySheet) {
    Start({}, 0, 3);
    ScanAndSave(L"colour", 3);
    ASSERT_TRUE(WaitForSaved());
    for (int n = 1; n <= 3; ++n)
        Expect("colour.tif", n - 1, n, false);

    // The PDF's options asked for: Cancel keeps the save dialog; then grey
    // and colour images as JPEG.
    CUtilityRun::ResetLog();
    m_sessionBefore = CSimJobState::LastSession();
    ScanAndSave(L"colour", 4, true);
    HWND options = m_run.WaitForDialog(L"PDFオプション", kWindowTimeoutMs);
    ASSERT_NE(options, nullptr);
    CUtilityRun::Press(options, IDCANCEL);
    HWND save = m_run.WaitForSaveDialog(kWindowTimeoutMs);
    ASSERT_NE(save, nullptr) << "the save dialog stays open";
    CUtilityRun::Press(save, IDOK);
    options = m_run.WaitForDialog(L"PDFオプション", kWindowTimeoutMs);
    ASSERT_NE(options, nullptr);
    const HWND gray = CUtilityRun::FindControl(options, 1004);
    ::SendMessageW(gray, CB_SETCURSEL, 1, 0);
    ::SendMessageW(options, WM_COMMAND, MAKEWPARAM(1004, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(gray));
    EXPECT_TRUE(::IsWindowEnabled(CUtilityRun::FindControl(options, 1005)));
    CUtilityRun::Press(options, IDOK);
    ASSERT_TRUE(WaitForSaved());
    for (int n = 1; n <= 3; ++n)
        Expect("colour.pdf", n - 1, n, true);
    ExpectFiles({"colour.tif", "colour.pdf"});
    ExpectReadyAgain();
}

TEST_F(ScanUtilitySave, JpegPerSheetAndBlackAndWhiteRefused) {
    Start({}, 1, 2);
    ScanAndSave(L"x.jpg", 2);
    ASSERT_TRUE(WaitForSaved());
    Expect("x.jpg", 0, 1, true);
    Expect("x2.jpg", 0, 2, true);
    ExpectReadyAgain();
}

TEST_F(ScanUtilitySave, BlackAndWhiteToJpegIsRefusedAndTheJobEnds) {
    Start({}, 2, 2);
    ScanAndSave(L"bw", 2);
    const HWND box = m_run.WaitForMessageBox(kScanTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(CUtilityRun::BoxText(box), L"白黒(2階調)はJPEGでは保存できません。");
    CUtilityRun::Press(box, IDOK);
    ASSERT_TRUE(WaitForSaved());
    ExpectFiles({});
    const auto job = Job();
    ASSERT_TRUE(job.has_value());
    EXPECT_FALSE(job->open);
    ExpectReadyAgain();
}

TEST_F(ScanUtilitySave, TheOverwriteQuestionsFourAnswers) {
    Start({}, 1, 4);
    for (const char *name : {"x.tif", "x2.tif", "x3.tif", "x4.tif", "y2.tif"})
        WriteFile(m_folder + L"\\" + Wide(name), "old");
    ScanAndSave(L"x", 1);
    // Page 1: no "replace all" or "cancel" yet; "yes" replaces.
    HWND ask = Question(0);
    ASSERT_NE(ask, nullptr);
    EXPECT_FALSE(::IsWindowVisible(CUtilityRun::FindControl(ask, 3)));
    EXPECT_FALSE(::IsWindowVisible(CUtilityRun::FindControl(ask, 1014)));
    EXPECT_EQ(
        CUtilityRun::ControlText(ask, 1012),
        L"ファイル\"x.tif\"は既に存在しています。\n新しいファイルと置き換えてよろしいですか？");
    CUtilityRun::Press(ask, IDOK);
    // Page 2: "no" keeps the old file and drops the page.
    ask = Question(1);
    ASSERT_NE(ask, nullptr);
    EXPECT_TRUE(::IsWindowVisible(CUtilityRun::FindControl(ask, 3)));
    CUtilityRun::Press(ask, IDCANCEL);
    // Page 3: "replace all" replaces page 4 too without asking.
    ask = Question(2);
    ASSERT_NE(ask, nullptr);
    CUtilityRun::Press(ask, 3);
    ASSERT_TRUE(WaitForSaved());
    EXPECT_EQ(CUtilityRun::CountLog("overwrite"), 3);
    EXPECT_EQ(ReadFile(m_folder + L"\\x2.tif"), "old");
    Expect("x.tif", 0, 1, false);
    Expect("x3.tif", 0, 3, false);
    Expect("x4.tif", 0, 4, false);

    // "Cancel" on page 2 keeps that file and ends the series there.
    CUtilityRun::ResetLog();
    m_sessionBefore = CSimJobState::LastSession();
    ASSERT_TRUE(CSimulatorClient::SetScenario({"--feeder-sheets", "3"}));
    ScanAndSave(L"y", 1);
    ask = Question(0);
    ASSERT_NE(ask, nullptr);
    CUtilityRun::Press(ask, 1014);
    ASSERT_TRUE(WaitForSaved());
    EXPECT_EQ(ReadFile(m_folder + L"\\y2.tif"), "old");
    Expect("y.tif", 0, 1, false);
    const auto job = Job();
    ASSERT_TRUE(job.has_value());
    EXPECT_FALSE(job->open);
    ExpectFiles({"x.tif", "x2.tif", "x3.tif", "x4.tif", "y.tif", "y2.tif"});
    ExpectReadyAgain();
}

TEST_F(ScanUtilitySave, ACancelInTheMiddleOfAPageLeavesNoFile) {
    Start({"--image-rate", "300000"}, 0, 0);
    ScanAndSave(L"cancelled", 4);
    HWND progress = m_run.WaitForDialog(L"データ転送中", kWindowTimeoutMs);
    ASSERT_NE(progress, nullptr);
    ::Sleep(1500);
    CUtilityRun::Press(progress, IDCANCEL);
    ASSERT_TRUE(WaitForSaved());
    ExpectFiles({});
    const auto job = Job();
    ASSERT_TRUE(job.has_value());
    EXPECT_FALSE(job->open);
    ExpectReadyAgain();
}

TEST_F(ScanUtilitySave, AFileThatCannotBeWrittenIsReportedAndKept) {
    Start({}, 1, 2);
    const std::wstring locked = m_folder + L"\\busy.tif";
    WriteFile(locked, "old");
    // Another program holds the file open and shares it with nobody.
    const HANDLE holder =
        ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ScanAndSave(L"busy", 3);
    HWND ask = m_run.WaitForDialog(L"上書き確認", kWindowTimeoutMs);
    ASSERT_NE(ask, nullptr);
    CUtilityRun::Press(ask, IDOK);
    const HWND box = m_run.WaitForMessageBox(kScanTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(CUtilityRun::BoxText(box), L"\"busy.tif\"の書き込みに失敗しました。");
    CUtilityRun::Press(box, IDOK);
    ASSERT_TRUE(WaitForSaved());
    ::CloseHandle(holder);
    EXPECT_EQ(ReadFile(locked), "old");
    const auto job = Job();
    ASSERT_TRUE(job.has_value());
    EXPECT_FALSE(job->open);
    ExpectReadyAgain();
}

TEST_F(ScanUtilitySave, HighCompressionPdfWithTheComponent) {
    // The component is found along PATH, as any library is.
    std::wstring path(32768, L'\0');
    path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), 32768));
    ::SetEnvironmentVariableW(L"PATH", (path + L";" + CORV_MRC_DIR).c_str());
    Start({}, 1, 2);
    ::SetEnvironmentVariableW(L"PATH", path.c_str());
    ScanAndSave(L"document", 5);
    ASSERT_TRUE(WaitForSaved());
    ExpectFiles({"document.pdf"});
    std::ofstream list((OutFolder() + L"\\manifest.txt").c_str(), std::ios::app);
    list << Narrow(m_folder.substr(OutFolder().size() + 1))
         << "/document.pdf\t2\t-\t0\t0\tmrc\tpages\n";
    EXPECT_TRUE(m_run.MessageBoxes().empty());
    ExpectReadyAgain();
}

TEST_F(ScanUtilitySave, HighCompressionPdfWithoutTheComponentLeavesNothingAndSaysNothing) {
    Start({}, 1, 2);
    ScanAndSave(L"document", 5);
    ASSERT_TRUE(WaitForSaved());
    ExpectFiles({});
    EXPECT_EQ(CUtilityRun::CountLog("cvpsmrc.dll not found"), 1);
    ExpectReadyAgain();
}

}  // namespace
