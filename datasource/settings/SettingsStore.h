// Everything the data source keeps about its settings, in one place: the
// scan settings record, the server settings, the last favourite's name and
// the options, with their loading and saving through the three settings
// files, and the scan parameters made from the record.
//
//   PrivteSettings.Ini  section "Settings": scan settings, "Favorite",
//                       server settings; section "Debug": "http port"
//   CV_NetScanUI.ini    "SaveOption"/"Common", "ScanOption"/"UsePhoto"
//   source profile      "UiSettings"/"Unit" (read only)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ProfileFile.h"
#include "ScanRequestParams.h"
#include "ScanSettings.h"
#include "ServerSettings.h"

class CSettingsStore {
public:
    CSettingsStore(IProfileFile &privateSettings, IProfileFile &uiOptions,
                   IProfileFile &sourceProfile)
        : m_private(privateSettings), m_options(uiOptions), m_sourceProfile(sourceProfile) {}
    CSettingsStore(const CSettingsStore &) = delete;
    CSettingsStore &operator=(const CSettingsStore &) = delete;

    CScanSettings Settings;
    CServerSettings Server;
    std::string FavoriteName;

    // What the main dialog's initialisation reads, in its order: options,
    // server settings (see LoadServerSettings), scan settings, favourite name.
    void LoadForDialog(std::wstring_view parentTitle);
    // What closing the dialog with its close button writes (with the
    // save-settings option on): scan settings and favourite name.
    void SaveAtClose();

    // The options of CV_NetScanUI.ini, each read once; a missing key is
    // written with its default.
    void LoadOptions();
    // After the scan utility answered the unit request the save option is read again.
    void ReloadSaveSettingsOption();
    // "Common": the last settings come back at start and are written at close.
    bool SaveSettingsOption();
    // "UsePhoto": the photographic-paper choice is offered.
    bool UsePhotoOption();

    // Settings.Unit from the source profile ("UiSettings"/"Unit", default 0).
    void LoadUnit();
    // The scan utility's unit (1..4) answers the unit request; anything else is mm.
    void SetUnitFromScanUtility(int32_t utilityUnit);

    // Every key of the record; missing or unreadable values take their INI default.
    void LoadScanSettings();
    // Written only with the save-settings option on.
    void SaveScanSettings();
    void LoadFavoriteName();
    void SaveFavoriteName();

    // Nothing is read or written for the companion application (parent
    // window titled "CV_ScanToBox"): it brings its own connection data.
    void LoadServerSettings(std::wstring_view parentTitle);
    void SaveServerSettings(std::wstring_view parentTitle);
    static bool IsCompanionParent(std::wstring_view parentTitle);

    // "Debug"/"http port", for the scan job's connection.
    int32_t HttpPort(int32_t defaultPort) const;

    CScanRequestParams RequestParams(bool prescan) {
        return CScanRequestParams::FromSettings(Settings, prescan, UsePhotoOption());
    }

private:
    bool LoadOption(std::string_view section, std::string_view key, int32_t standard);

    IProfileFile &m_private;
    IProfileFile &m_options;
    IProfileFile &m_sourceProfile;
    std::optional<bool> m_saveSettings;
    std::optional<bool> m_usePhoto;
};
