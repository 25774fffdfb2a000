#include "SettingsFiles_win.h"

#include "SettingsPaths.h"

CSettingsFiles::CSettingsFiles(const std::wstring &userFolder,
                               const std::wstring &sourceProfilePath)
    : m_private(CSettingsPaths::PrivateSettingsFile(userFolder)),
      m_options(CSettingsPaths::UiOptionsFile(userFolder)),
      m_sourceProfile(sourceProfilePath),
      m_store(m_private, m_options, m_sourceProfile) {}
