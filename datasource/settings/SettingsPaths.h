// How the per-user settings folder and its files are named. The folders
// themselves are looked up and created by CSettingsLocator.
#pragma once

#include <string>
#include <string_view>

class CSettingsPaths {
public:
    // NT-family systems newer than 4 keep the settings in the user's
    // documents folder, older ones in the Windows directory.
    static bool UsesDocumentsFolder(bool ntFamily, unsigned majorVersion) {
        return ntFamily && majorVersion > 4;
    }
    // base + "\" + two-level name (string 36) + "\MW7720ZR"
    static std::wstring UserFolder(std::wstring_view base, std::wstring_view twoLevelName);
    // user folder + "\favorite\"
    static std::wstring FavoritesFolder(std::wstring_view userFolder);
    // The two files in the user folder; empty without a folder.
    static std::wstring PrivateSettingsFile(std::wstring_view userFolder);
    static std::wstring UiOptionsFile(std::wstring_view userFolder);
};
