// The three settings files of an open data source and the store over them:
// what the main dialog creates once and binds its pages to.
//
//   CSettingsFiles files(CSettingsLocator::UserFolder(strings), profilePath);
//   CSettingsStore &store = files.Store();
//   store.LoadOptions(); store.LoadServerSettings(parentTitle); store.LoadScanSettings();
#pragma once

#include <string>

#include "ProfileFile_win.h"
#include "SettingsStore.h"

class CSettingsFiles {
public:
    CSettingsFiles(const std::wstring &userFolder, const std::wstring &sourceProfilePath);
    CSettingsFiles(const CSettingsFiles &) = delete;
    CSettingsFiles &operator=(const CSettingsFiles &) = delete;

    CSettingsStore &Store() { return m_store; }
    const CProfileFile &PrivateSettings() const { return m_private; }
    const CProfileFile &UiOptions() const { return m_options; }
    const CProfileFile &SourceProfile() const { return m_sourceProfile; }

private:
    CProfileFile m_private;
    CProfileFile m_options;
    CProfileFile m_sourceProfile;
    CSettingsStore m_store;
};
