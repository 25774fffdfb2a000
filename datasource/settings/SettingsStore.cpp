#include "SettingsStore.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "PasswordScrambler.h"
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

// Like the system's integer reading ("12 mm" is 12), except that a value
// without any leading number or beyond 32 bits is not taken for 0 or
// wrapped, but gives the default.
int32_t ReadInt(const IProfileFile &file, std::string_view section, std::string_view key,
                int32_t fallback) {
    const auto text = file.Read(section, key);
    if (!text) {
        return fallback;
    }
    std::string_view digits = *text;
    digits.remove_prefix(std::min(digits.find_first_not_of(" \t"), digits.size()));
    if (digits.starts_with('+')) {
        digits.remove_prefix(1);
    }
    int32_t value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return result.ec == std::errc() ? value : fallback;
}

std::string ReadText(const IProfileFile &file, std::string_view section, std::string_view key) {
    return file.Read(section, key).value_or(std::string());
}

void WriteInt(IProfileFile &file, std::string_view section, std::string_view key, int32_t value) {
    file.Write(section, key, std::to_string(value));
}

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
    return ReadInt(m_options, section, key, standard) != 0;
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
    Settings.Unit = ReadInt(m_sourceProfile, kUiSettings, kUnit, 0);
}

void CSettingsStore::SetUnitFromScanUtility(int32_t utilityUnit) {
    Settings.Unit = utilityUnit >= 1 && utilityUnit <= 4 ? utilityUnit - 1 : 0;
}

void CSettingsStore::LoadScanSettings() {
    for (const CScanSettings::SKey &key : CScanSettings::Keys()) {
        const int32_t value = ReadInt(m_private, kSettings, key.name, key.iniDefault);
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
        WriteInt(m_private, kSettings, key.name, value);
    }
}

void CSettingsStore::LoadFavoriteName() {
    if (SaveSettingsOption()) {
        FavoriteName = ReadText(m_private, kSettings, kFavorite);
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
    Server.Server = ReadText(m_private, kSettings, kServer);
    Server.ProxyName = ReadText(m_private, kSettings, kProxyName);
    Server.ProxyPort = ReadText(m_private, kSettings, kProxyPort);
    Server.UserName = ReadText(m_private, kSettings, kUserName);
    Server.Password = CPasswordScrambler::Unscramble(ReadText(m_private, kSettings, kPassword));
    Server.Timeout = ReadInt(m_private, kSettings, kTimeout, 0);
    Server.EnableProxy = ReadInt(m_private, kSettings, kEnableProxy, 0);
    Server.EnableAuth = ReadInt(m_private, kSettings, kEnableAuth, 0);
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
    WriteInt(m_private, kSettings, kTimeout, Server.Timeout);
    WriteInt(m_private, kSettings, kEnableProxy, Server.EnableProxy);
    WriteInt(m_private, kSettings, kEnableAuth, Server.EnableAuth);
}

int32_t CSettingsStore::HttpPort(int32_t defaultPort) const {
    return ReadInt(m_private, kDebug, kHttpPort, defaultPort);
}
