#include "ScanApp.h"

#include <shlobj.h>

#include <vector>

#include "DiagLog.h"
#include "ProfileLocation.h"
#include "ResString.h"
#include "res/scanapp_ids.h"

namespace {
CProfileLocation AnsiPaths() {
    return CProfileLocation([](char c) { return ::IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; });
}
}  // namespace

std::string CScanApp::ProgramPath() const {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameA(m_module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return std::string();
        if (n < path.size())
            return std::string(path.data(), n);
        path.resize(path.size() * 2);
    }
}

// Vista and later keep the program folder read-only for users: the file goes
// to the common application-data folder there, and beside the program on
// older systems or when that folder cannot be had.
std::string CScanApp::DecideProfilePath() const {
    const std::string program = ProgramPath();
    const CProfileLocation paths = AnsiPaths();
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    char common[MAX_PATH] = {};
    if (::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
        version.dwMajorVersion > 5 &&
        ::SHGetSpecialFolderPathA(nullptr, common, CSIDL_COMMON_APPDATA, TRUE)) {
        const std::string folder =
            std::string(common) + "\\" + LoadResStringAnsi(m_module, IDS_DATA_FOLDER);
        bool made = true;
        for (const std::string &level : paths.FolderLevels(folder + "\\"))
            if (::GetFileAttributesA(level.c_str()) == INVALID_FILE_ATTRIBUTES &&
                !::CreateDirectoryA(level.c_str(), nullptr))
                made = false;
        if (made)
            return paths.InDataFolder(common, LoadResStringAnsi(m_module, IDS_DATA_FOLDER),
                                      program);
    }
    return paths.BesideProgram(program);
}

bool CScanApp::ActivateRunningInstance() const {
    const std::wstring title = LoadResString(m_module, IDS_APP_TITLE);
    const HWND running = ::FindWindowW(CScanAppDlg::kClassName, title.c_str());
    if (!running)
        return false;
    ::SetForegroundWindow(running);
    ::ShowWindow(running, ::IsIconic(running) ? SW_RESTORE : SW_SHOW);
    return true;
}

bool CScanApp::InitInstance() {
    m_profile = DecideProfilePath();
    if (ActivateRunningInstance()) {
        WriteLog("another instance runs: handed over");
        return false;
    }
    WriteLog("profile %s", m_profile.c_str());
    m_mainWnd =
        std::make_unique<CScanAppDlg>(m_module, m_profile, AnsiPaths().DefaultsFile(ProgramPath()));
    return m_mainWnd->Create();
}

int CScanApp::Run() {
    MSG msg{};
    BOOL got;
    while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return -1;
        if (m_mainWnd && m_mainWnd->PreTranslateMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void CScanApp::ExitInstance() {
    m_mainWnd.reset();
}
