// The utility as the screen shows it: its main window, each page of the
// settings sheet and the about box, drawn on a virtual screen by the real
// program; each must show its texts, and with CORV_SHOT_DIR set the
// pictures are kept for scripts/screenshots.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "TwainTestClient.h"
#include "UtilityRun.h"
#include "WindowShot.h"
#include "WineDsm.h"

namespace {

constexpr DWORD kTimeoutMs = 20000;
constexpr DWORD kDrawMs = 500;
constexpr int kSettingsCommand = 32773;
constexpr int kAboutCommand = 16;
// The about picture, which the box's client area must be exactly.
constexpr int kPictureWidth = 480;
constexpr int kPictureHeight = 470;

TEST(ScanUtilityShots, TheMainWindowEverySettingsPageAndTheAboutBoxShowTheirTexts) {
    CUtilityRun::LoadFilesOf({});
    ASSERT_TRUE(CTwainTestClient::InstallSource());
    ASSERT_TRUE(CUtilityRun::InstallManager(WineDsmPath()));
    CUtilityRun::WriteProfile({{"Startup", "0"}});
    CUtilityRun run;
    ASSERT_TRUE(run.Start());
    HWND main = nullptr;
    ASSERT_TRUE(
        CUtilityRun::WaitFor([&] { return (main = run.MainWindow()) != nullptr; }, kTimeoutMs));
    ::Sleep(kDrawMs);

    // A caption and a menu bar: no client area, both menu titles on one line.
    RECT client{};
    ::GetClientRect(main, &client);
    EXPECT_EQ(client.bottom, 0);
    const CWindowShot mainShot = CWindowShot::Of(main);
    mainShot.Keep("scanapp-main");
    EXPECT_GT(mainShot.DarkPixelsIn(main), 200) << "caption and menu titles";
    EXPECT_LT(mainShot.Height(), 80) << "one menu line";

    ::PostMessageW(main, WM_COMMAND, kSettingsCommand, 0);
    const HWND sheet = run.WaitForDialog(L"環境設定", kTimeoutMs);
    ASSERT_NE(sheet, nullptr);
    const char *names[] = {"scanapp-general", "scanapp-jpeg", "scanapp-pdf", "scanapp-hcpdf"};
    for (int index = 0; index < 4; ++index) {
        ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::Sleep(kDrawMs);
        const auto page =
            reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        ASSERT_NE(page, nullptr) << names[index];
        const CWindowShot shot = CWindowShot::Of(sheet);
        shot.Keep(names[index]);
        EXPECT_GT(shot.DarkPixelsIn(page), 60) << names[index];
        EXPECT_GT(shot.DarkPixelsIn(::GetDlgItem(sheet, IDOK)), 20) << names[index];
    }
    const HWND apply = ::GetDlgItem(sheet, 0x3021);
    EXPECT_TRUE(apply == nullptr || !::IsWindowVisible(apply)) << "no Apply button";
    CUtilityRun::Press(sheet, IDCANCEL);
    ASSERT_TRUE(CUtilityRun::WaitFor([&] { return !::IsWindow(sheet); }, kTimeoutMs));

    ::PostMessageW(main, WM_COMMAND, kAboutCommand, 0);
    const HWND about = run.WaitForDialog(L"Scan Utility のバージョン情報", kTimeoutMs);
    ASSERT_NE(about, nullptr);
    ::Sleep(kDrawMs);
    ::GetClientRect(about, &client);
    EXPECT_EQ(client.right, kPictureWidth);
    EXPECT_EQ(client.bottom, kPictureHeight);
    RECT ok{};
    ::GetWindowRect(::GetDlgItem(about, IDOK), &ok);
    ::MapWindowPoints(nullptr, about, reinterpret_cast<POINT *>(&ok), 2);
    EXPECT_EQ(ok.right, kPictureWidth - 15);
    EXPECT_EQ(ok.bottom, kPictureHeight - 15);
    const CWindowShot aboutShot = CWindowShot::Of(about);
    aboutShot.Keep("scanapp-about");
    EXPECT_GT(aboutShot.DarkPixelsIn(::GetDlgItem(about, 1031)), 30) << "the version text";
    CUtilityRun::Press(about, IDOK);
    ASSERT_TRUE(CUtilityRun::WaitFor([&] { return !::IsWindow(about); }, kTimeoutMs));

    CUtilityRun::TypeControlKey(main, 'Q');
    EXPECT_EQ(run.WaitForExit(kTimeoutMs), 0u);
}

// The dialogs of a save, over the tests' own source manager, which offers
// a page as soon as it is asked to: the save dialog with its check box, the
// three option dialogs and the overwrite question.
TEST(ScanUtilityShots, TheSaveDialogsShowTheirTexts) {
    constexpr UINT kAskTransfer = WM_APP + 0x5D;
    CUtilityRun::SaveManager();
    CUtilityRun::LoadFilesOf({L"twain_32"});
    ASSERT_TRUE(CUtilityRun::InstallManager(CORV_FAILING_DSM));
    ::SetEnvironmentVariableA("CORV_FAILING_DSM_SOURCES",
                              "Tessaly|Corvane QM|Corvane QM Network Scanner");
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring target = std::wstring(temp) + L"shot";
    ::CloseHandle(::CreateFileW((target + L".pdf").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr));
    CUtilityRun::WriteProfile({{"Startup", "1"}, {"Ask Compression Mode", "1"}});
    CUtilityRun::ResetLog();
    CUtilityRun run;
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(CUtilityRun::WaitForLog("enableDS", 1, kTimeoutMs));
    ::PostMessageW(run.MainWindow(), kAskTransfer, 0, 0);
    const HWND save = run.WaitForSaveDialog(kTimeoutMs);
    ASSERT_NE(save, nullptr);
    ::Sleep(kDrawMs);
    const HWND check = ::GetDlgItem(save, 151);
    EXPECT_EQ(::SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED) << "Ask Compression Mode 1";
    RECT box{}, types{};
    ::GetWindowRect(check, &box);
    ::GetWindowRect(::GetDlgItem(save, 1136), &types);
    EXPECT_EQ(box.left, types.left);
    EXPECT_EQ(box.top, types.bottom + 5);
    const CWindowShot saveShot = CWindowShot::Of(save);
    saveShot.Keep("scanapp-save");
    EXPECT_GT(saveShot.DarkPixelsIn(check), 60) << "the check box's text";

    // Each type's options, left with Cancel: the save dialog stays.
    const struct {
        int type;
        const wchar_t *title;
        const char *shot;
    } options[] = {{2, L"JPEG品質", "scanapp-save-jpeg"},
                   {4, L"PDFオプション", "scanapp-save-pdf"},
                   {5, L"高圧縮PDFオプション", "scanapp-save-hcpdf"}};
    for (const auto &o : options) {
        SCOPED_TRACE(o.shot);
        CUtilityRun::AnswerSaveDialog(save, target, o.type, true);
        const HWND dialog = run.WaitForDialog(o.title, kTimeoutMs);
        ASSERT_NE(dialog, nullptr);
        ::Sleep(kDrawMs);
        const CWindowShot shot = CWindowShot::Of(dialog);
        shot.Keep(o.shot);
        EXPECT_GT(shot.DarkPixelsIn(::GetDlgItem(dialog, IDOK)), 20);
        if (o.type == 4) {
            EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, 1005)))
                << "no JPEG quality without JPEG";
        }
        CUtilityRun::Press(dialog, IDCANCEL);
        ASSERT_TRUE(CUtilityRun::WaitFor([&] { return !::IsWindow(dialog); }, kTimeoutMs));
        ASSERT_TRUE(::IsWindowVisible(save));
    }

    // The file is there: the question, with two buttons for the first page.
    CUtilityRun::AnswerSaveDialog(save, target, 4, false);
    const HWND ask = run.WaitForDialog(L"上書き確認", kTimeoutMs);
    ASSERT_NE(ask, nullptr);
    ::Sleep(kDrawMs);
    const CWindowShot askShot = CWindowShot::Of(ask);
    askShot.Keep("scanapp-overwrite");
    EXPECT_GT(askShot.DarkPixelsIn(::GetDlgItem(ask, 1012)), 100) << "the question";
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(ask, 3)));
    CUtilityRun::Press(ask, IDCANCEL);
    ASSERT_TRUE(CUtilityRun::WaitForLog("saving done, 0 files", 1, kTimeoutMs));

    ::PostMessageW(run.MainWindow(), WM_COMMAND, 32772, 0);
    EXPECT_EQ(run.WaitForExit(kTimeoutMs), 0u);
    ::DeleteFileW((target + L".pdf").c_str());
    CUtilityRun::LoadFilesOf({});
    CUtilityRun::RestoreManager();
}

}  // namespace
