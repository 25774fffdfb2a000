#include "SettingsStore.h"

#include <string>

#include "PasswordScrambler.h"
#include "ProfileValues.h"
#include "UnitConversion.h"

namespace {

constexpr std::string_view kSettings = "Settings";
constexpr std::string_view kFavorite = "Favorite";
constexpr std::string_view kServer = "Server";
constexpr std::string_view kProxyName = "Proxy Name";
constexpr std::string_view kProxyPort = "Proxy port";
constexpr std::string_view kUserName = "User name";
constexpr std::string_view kPassword = "Password";
constexpr std::string_view kTimeout = "Timeout";
constexpr std::string_view kEnableProxy = "EnableProxy";
constexpr std::string_view kEnableAuth = "EnableAuth";
constexpr std::string_view kSaveOption = "SaveOption";
constexpr std::string_view kCommon = "Common";
constexpr std::string_view kScanOption = "ScanOption";
constexpr std::string_view kUsePhoto = "UsePhoto";
constexpr std::string_view kUiSettings = "UiSettings";
constexpr std::string_view kUnit = "Unit";
constexpr std::string_view kDebug = "Debug";
constexpr std::string_view kHttpPort = "http port";

}  // namespace

void CSettingsStore::LoadForDialog(std::wstring_view parentTitle) {
    LoadOptions();
    LoadServerSettings(parentTitle);
    LoadScanSettings();
    LoadFavoriteName();
}

void CSettingsStore::SaveAtClose() {
    SaveScanSettings();
    SaveFavoriteName();
}

bool CSettingsStore::LoadOption(std::string_view section, std::string_view key, int32_t standard) {
    if (!m_options.Read(section, key)) {
        m_options.Write(section, key, std::to_string(standard));
    }
    return CProfileValues::ReadInt(m_options, section, key, standard) != 0;
}

void CSettingsStore::LoadOptions() {
    if (!m_saveSettings) {
        m_saveSettings = LoadOption(kSaveOption, kCommon, 1);
    }
    if (!m_usePhoto) {
        m_usePhoto = LoadOption(kScanOption, kUsePhoto, 0);
    }
}

void CSettingsStore::ReloadSaveSettingsOption() {
    m_saveSettings = LoadOption(kSaveOption, kCommon, 1);
}

bool CSettingsStore::SaveSettingsOption() {
    LoadOptions();
    return *m_saveSettings;
}

bool CSettingsStore::UsePhotoOption() {
    LoadOptions();
    return *m_usePhoto;
}

void CSettingsStore::LoadUnit() {
    Settings.Unit = CProfileValues::ReadInt(m_sourceProfile, kUiSettings, kUnit, 0);
}

void CSettingsStore::SetUnitFromScanUtility(int32_t utilityUnit) {
    Settings.Unit = utilityUnit >= 1 && utilityUnit <= 4 ? utilityUnit - 1 : 0;
}

void CSettingsStore::LoadScanSettings() {
    for (const CScanSettings::SKey &key : CScanSettings::Keys()) {
        const int32_t value =
            CProfileValues::ReadInt(m_private, kSettings, key.name, key.iniDefault);
        if (key.intField != nullptr) {
            Settings.*key.intField = value;
        } else {
            Settings.*key.realField = value;
        }
    }
}

void CSettingsStore::SaveScanSettings() {
    if (!SaveSettingsOption()) {
        return;
    }
    for (const CScanSettings::SKey &key : CScanSettings::Keys()) {
        const int32_t value = key.intField != nullptr
                                  ? Settings.*key.intField
                                  : CUnitConversion::Truncate(Settings.*key.realField);
        CProfileValues::WriteInt(m_private, kSettings, key.name, value);
    }
}

void CSettingsStore::LoadFavoriteName() {
    if (SaveSettingsOption()) {
        FavoriteName = CProfileValues::ReadText(m_private, kSettings, kFavorite);
    }
}

void CSettingsStore::SaveFavoriteName() {
    if (SaveSettingsOption()) {
        m_private.Write(kSettings, kFavorite, FavoriteName);
    }
}

bool CSettingsStore::IsCompanionParent(std::wstring_view parentTitle) {
    return parentTitle == L"CV_ScanToBox";
}

void CSettingsStore::LoadServerSettings(std::wstring_view parentTitle) {
    if (IsCompanionParent(parentTitle)) {
        return;
    }
    Server.Server = CProfileValues::ReadText(m_private, kSettings, kServer);
    Server.ProxyName = CProfileValues::ReadText(m_private, kSettings, kProxyName);
    Server.ProxyPort = CProfileValues::ReadText(m_private, kSettings, kProxyPort);
    Server.UserName = CProfileValues::ReadText(m_private, kSettings, kUserName);
    Server.Password =
        CPasswordScrambler::Unscramble(CProfileValues::ReadText(m_private, kSettings, kPassword));
    Server.Timeout = CProfileValues::ReadInt(m_private, kSettings, kTimeout, 0);
    Server.EnableProxy = CProfileValues::ReadInt(m_private, kSettings, kEnableProxy, 0);
    Server.EnableAuth = CProfileValues::ReadInt(m_private, kSettings, kEnableAuth, 0);
}

void CSettingsStore::SaveServerSettings(std::wstring_view parentTitle) {
    if (IsCompanionParent(parentTitle)) {
        return;
    }
    m_private.Write(kSettings, kServer, Server.Server);
    m_private.Write(kSettings, kProxyName, Server.ProxyName);
    m_private.Write(kSettings, kProxyPort, Server.ProxyPort);
    m_private.Write(kSettings, kUserName, Server.UserName);
    m_private.Write(kSettings, kPassword, CPasswordScrambler::Scramble(Server.Password));
    CProfileValues::WriteInt(m_private, kSettings, kTimeout, Server.Timeout);
    CProfileValues::WriteInt(m_private, kSettings, kEnableProxy, Server.EnableProxy);
    CProfileValues::WriteInt(m_private, kSettings, kEnableAuth, Server.EnableAuth);
}

int32_t CSettingsStore::HttpPort(int32_t defaultPort) const {
    return CProfileValues::ReadInt(m_private, kDebug, kHttpPort, defaultPort);
}
