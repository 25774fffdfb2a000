#include "SettingsPaths.h"

namespace {

std::wstring Join(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    path += name;
    return path;
}

}  // namespace

std::wstring CSettingsPaths::UserFolder(std::wstring_view base, std::wstring_view twoLevelName) {
    return Join(Join(base, twoLevelName), L"MW7720ZR");
}

std::wstring CSettingsPaths::FavoritesFolder(std::wstring_view userFolder) {
    return Join(userFolder, L"favorite\\");
}

// Without a folder there is no file: a bare name would make the profile
// functions use the Windows directory.
std::wstring CSettingsPaths::PrivateSettingsFile(std::wstring_view userFolder) {
    return userFolder.empty() ? std::wstring() : Join(userFolder, L"PrivteSettings.Ini");
}

std::wstring CSettingsPaths::UiOptionsFile(std::wstring_view userFolder) {
    return userFolder.empty() ? std::wstring() : Join(userFolder, L"CV_NetScanUI.ini");
}
