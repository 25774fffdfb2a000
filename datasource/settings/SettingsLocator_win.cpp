#include "SettingsLocator_win.h"

#include <shlobj.h>

#include "SettingsPaths.h"
#include "res/settings_ids.h"

namespace {

struct SSystem {
    bool ntFamily;
    unsigned major;
};

SSystem System() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info)) {
        return {false, 0};
    }
    return {info.dwPlatformId == VER_PLATFORM_WIN32_NT, info.dwMajorVersion};
}

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                path))) {
        return std::wstring();
    }
    return path;
}

std::wstring WindowsFolder() {
    wchar_t path[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

bool IsFolder(const std::wstring &path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool CSettingsLocator::CreateFolder(const std::wstring &folder) {
    std::wstring path = folder;
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    if (path.empty()) {
        return false;
    }
    if (!IsFolder(path)) {
        SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    }
    return IsFolder(path);
}

std::wstring CSettingsLocator::UserFolderIn(const std::wstring &base,
                                            const IStringSource &strings) {
    const std::wstring twoLevelName = strings.Load(IDS_USER_FOLDER);
    if (base.empty() || twoLevelName.empty()) {
        return std::wstring();
    }
    std::wstring folder = CSettingsPaths::UserFolder(base, twoLevelName);
    return CreateFolder(folder) ? folder : std::wstring();
}

std::wstring CSettingsLocator::UserFolder(const IStringSource &strings) {
    const SSystem system = System();
    const std::wstring base = CSettingsPaths::UsesDocumentsFolder(system.ntFamily, system.major)
                                  ? ShellFolder(CSIDL_PERSONAL)
                                  : WindowsFolder();
    return UserFolderIn(base, strings);
}

std::wstring CSettingsLocator::FavoritesFolder(const IStringSource &strings) {
    const std::wstring user = UserFolder(strings);
    if (user.empty()) {
        return std::wstring();
    }
    std::wstring folder = CSettingsPaths::FavoritesFolder(user);
    return CreateFolder(folder) ? folder : std::wstring();
}
