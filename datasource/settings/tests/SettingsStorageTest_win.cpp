// The settings files on a real (Wine) file system, in the Japanese ANSI code
// page. The documents folder lies inside the build tree.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <string>

#include "AnsiText_win.h"
#include "PasswordScrambler.h"
#include "SettingsFiles_win.h"
#include "SettingsLocator_win.h"
#include "SettingsPaths.h"
#include "TestStrings.h"

namespace {

std::wstring Documents() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string FileBytes(const std::wstring &path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutFile(const std::wstring &path, const std::string &bytes) {
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

bool Exists(const std::wstring &path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Each test starts from a settings folder without files, below its own base.
class SettingsStorage : public ::testing::Test {
protected:
    void SetUp() override {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        base = Documents() + L"\\storage-tests\\" + CAnsiText::ToWide(info->name());
        folder = CSettingsLocator::UserFolderIn(base, TestStrings());
        ASSERT_FALSE(folder.empty());
        privatePath = CSettingsPaths::PrivateSettingsFile(folder);
        optionsPath = CSettingsPaths::UiOptionsFile(folder);
        profilePath = base + L"\\corvsrc.INI";
        for (const std::wstring *path : {&privatePath, &optionsPath, &profilePath}) {
            DeleteFileW(path->c_str());
        }
    }

    std::wstring base, folder, privatePath, optionsPath, profilePath;
};

TEST_F(SettingsStorage, UserFolderLiesBelowTheDocumentsFolderWithItsFavourites) {
    const std::wstring user = CSettingsLocator::UserFolder(TestStrings());
    EXPECT_EQ(user, Documents() + L"\\Tessaly\\Corvane QM\\MW7720ZR");
    const std::wstring favorites = CSettingsLocator::FavoritesFolder(TestStrings());
    EXPECT_EQ(favorites, user + L"\\favorite\\");
    EXPECT_TRUE(Exists(favorites));
    EXPECT_EQ(folder, base + L"\\Tessaly\\Corvane QM\\MW7720ZR");
    EXPECT_TRUE(Exists(folder));
}

TEST_F(SettingsStorage, FreshFolderGivesEveryDefaultAndCreatesTheOptionsFile) {
    CSettingsFiles files(folder, profilePath);
    CSettingsStore &store = files.Store();
    store.LoadUnit();
    store.LoadForDialog(L"");
    EXPECT_TRUE(store.Settings == CScanSettings::IniDefaults() &&
                store.Server == CServerSettings());
    EXPECT_TRUE(store.FavoriteName.empty() && store.HttpPort(80) == 80);
    EXPECT_TRUE(store.SaveSettingsOption() && !store.UsePhotoOption());

    const std::string options = FileBytes(optionsPath);
    EXPECT_NE(options.find("[SaveOption]\r\nCommon=1"), std::string::npos) << options;
    EXPECT_NE(options.find("[ScanOption]\r\nUsePhoto=0"), std::string::npos) << options;
    EXPECT_FALSE(Exists(privatePath));
    EXPECT_FALSE(Exists(profilePath));
}

TEST_F(SettingsStorage, WrittenValuesReadBackAndThePasswordNeverShows) {
    const std::string password = "Pa55-wort " + std::string(200, 'x');
    {
        CSettingsFiles files(folder, profilePath);
        CSettingsStore &store = files.Store();
        store.Settings = CScanSettings::Standard();
        store.Settings.Brightness = -3;
        store.Settings.InputMediumCustomWidth = 100.5;
        store.Settings.Photographs = -1;
        store.FavoriteName = "Weekly";
        store.Server = {
            "scan.example.test" + std::string(300, 'a'), "proxy", "8080", "me", password, 45, 1, 0};
        store.SaveAtClose();
        store.SaveServerSettings(L"");
    }
    CSettingsFiles files(folder, profilePath);
    CSettingsStore &store = files.Store();
    store.LoadForDialog(L"");
    CScanSettings expected = CScanSettings::Standard();
    expected.Brightness = -3;
    expected.Photographs = -1;
    EXPECT_EQ(store.Settings, expected);
    EXPECT_EQ(store.FavoriteName, "Weekly");
    EXPECT_EQ(store.Server.Password, password);
    EXPECT_EQ(store.Server.Server.size(), 317u);
    EXPECT_EQ(store.Server.Timeout, 45);

    const std::string bytes = FileBytes(privatePath);
    EXPECT_NE(bytes.find("InputMediumCustomWidth=100\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("Password=" + CPasswordScrambler::Scramble(password)), std::string::npos);
    EXPECT_EQ(bytes.find("Pa55"), std::string::npos);
}

TEST_F(SettingsStorage, GarbledFilesFallBackToDefaults) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage.push_back(static_cast<char>((i * 7919 + 13) % 251 + 1));
    }
    PutFile(privatePath, garbage);
    PutFile(optionsPath, "[SaveOption\r\nCommon\r\n=\x81\r\n");
    PutFile(profilePath, "[UiSettings]\r\nUnit=abc\r\n");
    CSettingsFiles files(folder, profilePath);
    CSettingsStore &store = files.Store();
    store.LoadOptions();
    store.LoadUnit();
    store.LoadScanSettings();
    store.LoadServerSettings(L"");
    EXPECT_TRUE(store.SaveSettingsOption());
    EXPECT_EQ(store.Settings, CScanSettings::IniDefaults());
    EXPECT_EQ(store.Server, CServerSettings());
}

TEST_F(SettingsStorage, UnitAndHttpPortComeFromTheirSections) {
    WritePrivateProfileStringW(L"UiSettings", L"Unit", L"3", profilePath.c_str());
    WritePrivateProfileStringW(L"Debug", L"http port", L"8080", privatePath.c_str());
    CSettingsFiles files(folder, profilePath);
    files.Store().LoadUnit();
    EXPECT_EQ(files.Store().Settings.Unit, 3);
    EXPECT_EQ(files.Store().HttpPort(80), 8080);
}

TEST_F(SettingsStorage, CompanionApplicationKeepsTheStoredServer) {
    WritePrivateProfileStringW(L"Settings", L"Server", L"kept", privatePath.c_str());
    CSettingsFiles files(folder, profilePath);
    files.Store().Server.Server = "replaced";
    files.Store().SaveServerSettings(L"CV_ScanToBox");
    files.Store().SaveScanSettings();
    const std::string bytes = FileBytes(privatePath);
    EXPECT_NE(bytes.find("Server=kept"), std::string::npos);
    EXPECT_NE(bytes.find("ColorMode=0"), std::string::npos);
}

TEST_F(SettingsStorage, JapaneseNamesSurviveInCodePage932) {
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    const std::wstring japaneseBase = base + L"\\スキャン設定";
    const std::wstring japaneseFolder = CSettingsLocator::UserFolderIn(japaneseBase, TestStrings());
    ASSERT_FALSE(japaneseFolder.empty());
    EXPECT_TRUE(Exists(japaneseFolder));
    DeleteFileW(CSettingsPaths::PrivateSettingsFile(japaneseFolder).c_str());

    const std::string server = CAnsiText::FromWide(L"スキャンサーバー表");
    const std::string favorite = CAnsiText::FromWide(L"お気に入り１");
    const std::string password = CAnsiText::FromWide(L"秘密");
    // "ス" is 83 58 and "表" (whose second byte is a backslash) 95 5C in code page 932.
    ASSERT_EQ(server.substr(0, 2), "\x83\x58");
    ASSERT_EQ(server.substr(server.size() - 2), "\x95\x5C");
    {
        CSettingsFiles files(japaneseFolder, profilePath);
        files.Store().Server.Server = server;
        files.Store().Server.Password = password;
        files.Store().FavoriteName = favorite;
        files.Store().SaveServerSettings(L"");
        files.Store().SaveFavoriteName();
    }
    const std::string bytes = FileBytes(CSettingsPaths::PrivateSettingsFile(japaneseFolder));
    EXPECT_NE(bytes.find("Server=" + server + "\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("Favorite=" + favorite + "\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find(password), std::string::npos);

    CSettingsFiles files(japaneseFolder, profilePath);
    files.Store().LoadServerSettings(L"");
    files.Store().LoadFavoriteName();
    EXPECT_EQ(files.Store().Server.Server, server);
    EXPECT_EQ(files.Store().Server.Password, password);
    EXPECT_EQ(files.Store().FavoriteName, favorite);
}

TEST_F(SettingsStorage, LineBreaksCannotSmuggleInKeys) {
    CProfileFile file(privatePath);
    EXPECT_FALSE(file.Write("Settings", "Favorite", "mine\r\nPassword=Ih"));
    EXPECT_FALSE(file.Read("Settings", "Password"));
    EXPECT_FALSE(file.Read("Settings", "Favorite"));
    EXPECT_TRUE(file.Write("Settings", "Favorite", "mine"));
    EXPECT_EQ(file.Read("Settings", "Favorite"), "mine");
}

TEST_F(SettingsStorage, NoFolderMeansNoFileIsTouched) {
    CSettingsFiles files(L"", profilePath);
    files.Store().Settings.ColorMode = 2;
    files.Store().SaveScanSettings();
    files.Store().LoadScanSettings();
    EXPECT_EQ(files.Store().Settings.ColorMode, 0);
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_FALSE(Exists(std::wstring(windows) + L"\\PrivteSettings.Ini"));
}

}  // namespace
