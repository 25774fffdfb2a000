#include <gtest/gtest.h>

#include "SettingsPaths.h"

namespace {

using P = CSettingsPaths;

TEST(SettingsPaths, UserFolderAndItsFiles) {
    const std::wstring user = P::UserFolder(L"C:\\Users\\me\\Documents", L"Tessaly\\Corvane QM");
    EXPECT_EQ(user, L"C:\\Users\\me\\Documents\\Tessaly\\Corvane QM\\MW7720ZR");
    EXPECT_EQ(P::UserFolder(L"C:\\", L"T\\C"), L"C:\\T\\C\\MW7720ZR");
    EXPECT_EQ(P::FavoritesFolder(user), user + L"\\favorite\\");
    EXPECT_EQ(P::PrivateSettingsFile(user), user + L"\\PrivteSettings.Ini");
    EXPECT_EQ(P::UiOptionsFile(user), user + L"\\CV_NetScanUI.ini");
    EXPECT_EQ(P::PrivateSettingsFile(L""), L"");
    EXPECT_EQ(P::UiOptionsFile(L""), L"");
}

TEST(SettingsPaths, SystemVersionChoosesTheFolders) {
    const struct {
        bool nt;
        unsigned major;
        bool documents;
    } cases[] = {{false, 4, false}, {false, 6, false}, {true, 4, false}, {true, 5, true}};
    for (const auto &c : cases) {
        EXPECT_EQ(P::UsesDocumentsFolder(c.nt, c.major), c.documents) << c.nt << c.major;
    }
}

}  // namespace
