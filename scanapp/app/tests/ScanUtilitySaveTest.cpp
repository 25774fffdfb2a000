// Saving, end to end: corvscan.exe under Wine with Wine's source manager,
// our source and the simulator. The test answers the save dialog and the
// boxes as a user would; the pixels of every file are compared with the
// pages the simulator sent by the decoders of saved_pages_check.sh, from
// the list this test writes beside the files.
#include "ScanUtilitySave.h"

namespace {

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
