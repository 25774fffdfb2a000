#include "SourceSettingsFile.h"

#include <windows.h>

#include <cstdio>

#include "ModuleStrings_win.h"
#include "PasswordScrambler.h"
#include "ProfileFile_win.h"
#include "SettingsLocator_win.h"

namespace {

struct CDataModule {
    HMODULE h;
    ~CDataModule() {
        if (h)
            ::FreeLibrary(h);
    }
};

std::wstring Wide(const std::string &s) {
    return std::wstring(s.begin(), s.end());
}

std::wstring Decimal(double value) {
    wchar_t text[32] = {};
    std::swprintf(text, 32, L"%g", value);
    return text;
}

}  // namespace

CSourceSettingsFile::CSourceSettingsFile(const std::wstring &sourceModulePath) {
    // As data only: the source's start-up code must not run a second time
    // in this process beside the copy the source manager loads.
    CDataModule module{
        ::LoadLibraryExW(sourceModulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)};
    if (!module.h)
        return;
    const std::wstring folder = CSettingsLocator::UserFolder(CModuleStrings(module.h));
    if (!folder.empty())
        m_path = folder + L"\\PrivteSettings.Ini";
}

bool CSourceSettingsFile::Write(const SScanSetup &setup, const std::string &server,
                                int httpPort) const {
    if (m_path.empty())
        return false;
    ::DeleteFileW(m_path.c_str());
    const std::pair<const wchar_t *, std::wstring> settings[] = {
        {L"Server", Wide(server)},
        {L"PaperPlace", std::to_wstring(setup.paperPlace)},
        {L"ColorMode", std::to_wstring(setup.colorMode)},
        {L"Resolution", std::to_wstring(setup.resolution)},
        {L"InputMediumSize", std::to_wstring(setup.mediumSize)},
        {L"InputMediumCustomWidth", Decimal(setup.customWidthMm)},
        {L"InputMediumCustomHeight", Decimal(setup.customHeightMm)},
    };
    bool ok = true;
    for (const auto &[key, value] : settings)
        ok = ::WritePrivateProfileStringW(L"Settings", key, value.c_str(), m_path.c_str()) && ok;
    if (!setup.password.empty())
        ok = CProfileFile(m_path).Write("Settings", "Password",
                                        CPasswordScrambler::Scramble(setup.password)) &&
             ok;
    ok = ::WritePrivateProfileStringW(L"Debug", L"http port", std::to_wstring(httpPort).c_str(),
                                      m_path.c_str()) &&
         ok;
    return ok;
}
