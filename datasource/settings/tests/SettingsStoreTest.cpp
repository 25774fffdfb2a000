#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "MemoryProfile.h"
#include "SettingsStore.h"

namespace {

class SettingsStore : public ::testing::Test {
protected:
    CMemoryProfile privateFile, options, profile;
    CSettingsStore store{privateFile, options, profile};
};

TEST_F(SettingsStore, FreshFilesGiveEveryDefaultAndCreateTheOptions) {
    store.LoadUnit();
    store.LoadForDialog(L"");
    EXPECT_EQ(store.Settings, CScanSettings::IniDefaults());
    EXPECT_EQ(store.Server, CServerSettings());
    EXPECT_EQ(store.FavoriteName, "");
    EXPECT_EQ(store.HttpPort(80), 80);
    EXPECT_TRUE(store.SaveSettingsOption());
    EXPECT_FALSE(store.UsePhotoOption());
    EXPECT_EQ(options.At("SaveOption", "Common"), "1");
    EXPECT_EQ(options.At("ScanOption", "UsePhoto"), "0");
    EXPECT_EQ(options.writes, 2);
    EXPECT_EQ(privateFile.writes, 0);
    EXPECT_EQ(profile.writes, 0);
}

TEST_F(SettingsStore, SavedSettingsLoadBackWithLengthsInWholeMillimetres) {
    CScanSettings saved = CScanSettings::Standard();
    saved.Brightness = -3;
    saved.Contrast = -2;
    saved.Resolution = 3;
    saved.InputMediumCustomWidth = 100.5;
    saved.InputMediumCustomHeight = 296.9;
    saved.EdgeErase = 12.7;
    saved.MagnificationZoom = 400;
    store.Settings = saved;
    store.SaveScanSettings();
    EXPECT_EQ(privateFile.At("Settings", "InputMediumCustomWidth"), "100");
    EXPECT_EQ(privateFile.At("Settings", "Brightness"), "-3");
    EXPECT_EQ(privateFile.At("Settings", "Format"), "3");
    EXPECT_EQ(privateFile.At("Settings", "Unit"), "<missing>");

    CSettingsStore reader(privateFile, options, profile);
    reader.LoadScanSettings();
    saved.InputMediumCustomWidth = 100;
    saved.InputMediumCustomHeight = 296;
    saved.EdgeErase = 12;
    EXPECT_EQ(reader.Settings, saved);
}

TEST_F(SettingsStore, UnreadableValuesFallBackToTheirDefaults) {
    const std::pair<const char *, const char *> stored[] = {
        {"ImageMode", "abc"}, {"MagnificationZoom", " 250%"},       {"Brightness", "-2"},
        {"Photographs", ""},  {"MagnificationAuto", "99999999999"}, {"EdgeErase", "+7"},
        {"Contrast", "--1"},
    };
    for (const auto &[key, value] : stored) {
        privateFile.values[{"Settings", key}] = value;
    }
    store.LoadScanSettings();
    EXPECT_EQ(store.Settings.ImageMode, 2);
    EXPECT_EQ(store.Settings.MagnificationZoom, 250);
    EXPECT_EQ(store.Settings.Brightness, -2);
    EXPECT_EQ(store.Settings.Photographs, -1);
    EXPECT_EQ(store.Settings.MagnificationAuto, 3);
    EXPECT_EQ(store.Settings.EdgeErase, 7);
    EXPECT_EQ(store.Settings.Contrast, 0);
}

TEST_F(SettingsStore, SaveOptionOffWritesNothingAndKeepsTheFavourite) {
    options.values[{"SaveOption", "Common"}] = "0";
    privateFile.values[{"Settings", "Favorite"}] = "Mine";
    store.LoadForDialog(L"");
    EXPECT_EQ(store.FavoriteName, "");
    store.Settings.ColorMode = 2;
    store.FavoriteName = "Other";
    store.SaveAtClose();
    EXPECT_EQ(store.FavoriteName, "Other");
    EXPECT_EQ(privateFile.writes, 0);
    EXPECT_EQ(options.writes, 1);  // only the missing "UsePhoto"
}

TEST_F(SettingsStore, OptionsAreReadOnceUntilReloaded) {
    store.LoadOptions();
    options.values[{"SaveOption", "Common"}] = "0";
    store.LoadOptions();
    EXPECT_TRUE(store.SaveSettingsOption());
    store.ReloadSaveSettingsOption();
    EXPECT_FALSE(store.SaveSettingsOption());
}

TEST_F(SettingsStore, ServerSettingsRoundTripWithTheirPasswordScrambled) {
    store.Server = {"scan.example", "proxy", "8080", "user", "Geheim!", 30, 1, 1};
    store.SaveServerSettings(L"Some Application");
    EXPECT_EQ(privateFile.At("Settings", "Server"), "scan.example");
    EXPECT_EQ(privateFile.At("Settings", "Proxy port"), "8080");
    EXPECT_EQ(privateFile.At("Settings", "Timeout"), "30");
    const std::string stored = privateFile.At("Settings", "Password");
    EXPECT_EQ(stored.size(), 14u);
    EXPECT_EQ(stored.find("Geheim"), std::string::npos);

    CSettingsStore reader(privateFile, options, profile);
    reader.LoadServerSettings(L"");
    EXPECT_EQ(reader.Server, store.Server);
}

TEST_F(SettingsStore, CompanionApplicationLeavesServerKeysAlone) {
    privateFile.values[{"Settings", "Server"}] = "kept";
    store.LoadServerSettings(L"CV_ScanToBox");
    EXPECT_EQ(store.Server.Server, "");
    store.Server.Server = "other";
    store.SaveServerSettings(L"CV_ScanToBox");
    EXPECT_EQ(privateFile.At("Settings", "Server"), "kept");
    EXPECT_EQ(privateFile.writes, 0);
    store.SaveScanSettings();
    EXPECT_GT(privateFile.writes, 0);
    EXPECT_FALSE(CSettingsStore::IsCompanionParent(L"cv_scantobox"));
}

TEST_F(SettingsStore, UnitComesFromTheProfileOrTheScanUtility) {
    profile.values[{"UiSettings", "Unit"}] = "2";
    store.LoadUnit();
    EXPECT_EQ(store.Settings.Unit, 2);
    const int32_t answers[][2] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {0, 0}, {5, 0}, {7, 0}, {-1, 0}};
    for (const auto &a : answers) {
        store.SetUnitFromScanUtility(a[0]);
        EXPECT_EQ(store.Settings.Unit, a[1]) << a[0];
    }
}

TEST_F(SettingsStore, HttpPortFromTheDebugSection) {
    privateFile.values[{"Debug", "http port"}] = "8081";
    EXPECT_EQ(store.HttpPort(80), 8081);
}

}  // namespace
