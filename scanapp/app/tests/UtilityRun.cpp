#include "UtilityRun.h"

#include <shlobj.h>

#include <cstdlib>
#include <fstream>

#include "DialogOperator.h"
#include "SourceSettingsFile.h"
#include "TwainTestClient.h"
#include "WineDsm.h"

namespace {
constexpr const wchar_t *kMainTitle = L"Scan Utility";
constexpr const wchar_t *kMainClass = L"CorvScanUtilityMain";
constexpr const wchar_t *kSourceTitle = L"Corvane QM スキャン";
constexpr DWORD kSettleMs = 300;
// The common save dialog's file-type combo and file-name edit, and the
// check box the utility adds to it.
constexpr int kFileTypeCombo = 1136;
constexpr int kFileNameEdit = 1148;
constexpr int kAskOptionsBox = 151;

struct SWindowSearch {
    DWORD pid;
    const std::wstring *title;
    const wchar_t *className;
    std::vector<HWND> found;
};
BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto *s = reinterpret_cast<SWindowSearch *>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == s->pid && ::IsWindowVisible(window) && (!s->title || TextOf(window) == *s->title) &&
        (!s->className || ClassOf(window) == s->className))
        s->found.push_back(window);
    return TRUE;
}

struct SControlSearch {
    int id;
    HWND found;
};
BOOL CALLBACK MatchControl(HWND child, LPARAM param) {
    auto *s = reinterpret_cast<SControlSearch *>(param);
    if (::GetDlgCtrlID(child) != s->id)
        return TRUE;
    s->found = child;
    return FALSE;
}

}  // namespace

std::string CUtilityRun::LogPath() {
    char dir[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "corvscan.log";
}

bool CUtilityRun::FeederArguments(char **argv, std::string &folder, int &port, int &sheets) {
    folder = argv[0];
    for (char &c : folder)
        c = c == '/' ? '\\' : c;
    port = std::atoi(argv[1]);
    sheets = std::atoi(argv[2]);
    return port > 0 && sheets > 0;
}

CUtilityRun::~CUtilityRun() {
    if (m_info.hProcess) {
        if (::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(m_info.hProcess, 99);
            ::WaitForSingleObject(m_info.hProcess, 5000);
        }
        ::CloseHandle(m_info.hProcess);
        ::CloseHandle(m_info.hThread);
    }
}

std::wstring CUtilityRun::BuiltProgram() {
    return CORV_SCANAPP_EXE;
}

std::string CUtilityRun::ProfilePath() {
    char common[MAX_PATH] = {};
    ::SHGetSpecialFolderPathA(nullptr, common, CSIDL_COMMON_APPDATA, TRUE);
    return std::string(common) + "\\Corvane QM\\corvscan.INI";
}

void CUtilityRun::WriteProfile(const std::vector<std::pair<std::string, std::string>> &keys) {
    const std::string path = ProfilePath();
    ::DeleteFileA(path.c_str());
    const std::string folder = path.substr(0, path.rfind('\\'));
    ::CreateDirectoryA(folder.c_str(), nullptr);
    for (const auto &[key, value] : keys)
        ::WritePrivateProfileStringA("Settings", key.c_str(), value.c_str(), path.c_str());
}

std::string CUtilityRun::ProfileValue(const std::string &key) {
    char value[260] = {};
    ::GetPrivateProfileStringA("Settings", key.c_str(), "<missing>", value, sizeof value,
                               ProfilePath().c_str());
    return value;
}

namespace {
std::wstring ManagerPath() {
    wchar_t dir[MAX_PATH] = {};
    ::GetWindowsDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\TWAIN_32.DLL";
}
std::wstring SavedManagerPath() {
    return ManagerPath() + L".saved";
}
}  // namespace

void CUtilityRun::SaveManager() {
    ::DeleteFileW(SavedManagerPath().c_str());
    ::CopyFileW(ManagerPath().c_str(), SavedManagerPath().c_str(), FALSE);
}

// Without a saved file there was none to keep: none is left.
void CUtilityRun::RestoreManager() {
    if (::GetFileAttributesW(SavedManagerPath().c_str()) == INVALID_FILE_ATTRIBUTES) {
        ::DeleteFileW(ManagerPath().c_str());
        return;
    }
    ::CopyFileW(SavedManagerPath().c_str(), ManagerPath().c_str(), FALSE);
    ::DeleteFileW(SavedManagerPath().c_str());
}

bool CUtilityRun::InstallManager(const std::wstring &dll) {
    const std::wstring target = ManagerPath();
    wchar_t full[MAX_PATH] = {};
    ::GetFullPathNameW(dll.c_str(), MAX_PATH, full, nullptr);
    if (_wcsicmp(full, target.c_str()) == 0)
        return true;
    return ::CopyFileW(dll.c_str(), target.c_str(), FALSE) != 0;
}

void CUtilityRun::LoadFilesOf(const std::vector<std::wstring> &libraries) {
    const wchar_t *key = L"Software\\Wine\\AppDefaults\\corvscan.exe\\DllOverrides";
    ::RegDeleteKeyW(HKEY_CURRENT_USER, key);
    if (libraries.empty())
        return;
    HKEY overrides = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &overrides,
                          nullptr) != ERROR_SUCCESS)
        return;
    const wchar_t value[] = L"native";
    for (const std::wstring &library : libraries)
        ::RegSetValueExW(overrides, library.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE *>(value), sizeof value);
    ::RegCloseKey(overrides);
}

const char *CUtilityRun::SetUpFeederScan(int port, int resolution) {
    if (!CTwainTestClient::InstallSource())
        return "corvsrc.ds was not found beside the program";
    LoadFilesOf({});
    if (!InstallManager(WineDsmPath()))
        return "Wine's source manager could not be put in place";
    SScanSetup setup;
    setup.paperPlace = 1;
    setup.colorMode = 0;
    setup.resolution = resolution;
    if (!CSourceSettingsFile(CTwainTestClient::InstalledSourcePath())
             .Write(setup, "127.0.0.1", port))
        return "the source's settings file could not be written";
    // Grey and colour pages of the PDF as JPEG, as an office keeps them.
    WriteProfile({{"Startup", "1"}, {"Gray Image Compression", "1"}});
    ResetLog();
    return nullptr;
}

void CUtilityRun::ResetLog() {
    std::ofstream(LogPath(), std::ios::binary | std::ios::trunc);
}

std::vector<std::string> CUtilityRun::LogLines() {
    std::ifstream in(LogPath(), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // "(yyyy.mm.dd hh:mm:ss)" comes first.
        const size_t close = line.find(')');
        lines.push_back(close == std::string::npos ? line : line.substr(close + 1));
    }
    return lines;
}

int CUtilityRun::CountLog(const std::string &part) {
    int n = 0;
    for (const std::string &line : LogLines())
        n += line.find(part) != std::string::npos ? 1 : 0;
    return n;
}

bool CUtilityRun::WaitForLog(const std::string &part, int count, DWORD timeoutMs) {
    return WaitFor([&] { return CountLog(part) >= count; }, timeoutMs);
}

bool CUtilityRun::Start(const std::wstring &program) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + program + L"\"";
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &m_info))
        return false;
    ::WaitForInputIdle(m_info.hProcess, 10000);
    return true;
}

DWORD CUtilityRun::WaitForExit(DWORD timeoutMs) {
    if (!m_info.hProcess || ::WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(m_info.hProcess, &code);
    return code;
}

std::vector<HWND> CUtilityRun::Windows(const std::wstring &title, const wchar_t *className) const {
    SWindowSearch search{m_info.dwProcessId, &title, className, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND CUtilityRun::MainWindow() const {
    const auto found = Windows(kMainTitle, kMainClass);
    return found.empty() ? nullptr : found.front();
}

HWND CUtilityRun::SourceDialog() const {
    const auto found = Windows(kSourceTitle, L"#32770");
    return found.empty() ? nullptr : found.front();
}

HWND CUtilityRun::SaveDialog() const {
    SWindowSearch search{m_info.dwProcessId, nullptr, L"#32770", {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    // The file-type combo and the utility's check box are its own controls,
    // not those of a page inside it.
    for (HWND dialog : search.found)
        if (::GetDlgItem(dialog, kFileTypeCombo) && ::GetDlgItem(dialog, kAskOptionsBox))
            return dialog;
    return nullptr;
}

void CUtilityRun::AnswerSaveDialog(HWND dialog, const std::wstring &path, int type,
                                   bool askOptions) {
    // The dialog sets its own controls up after it shows.
    ::Sleep(kSettleMs);
    const HWND types = FindControl(dialog, kFileTypeCombo);
    ::SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(type - 1), 0);
    // A pick from the list ends with both notifications; the dialog takes
    // the new type on the second.
    for (const WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeCombo, code),
                       reinterpret_cast<LPARAM>(types));
    ::SendMessageW(FindControl(dialog, kAskOptionsBox), BM_SETCHECK,
                   askOptions ? BST_CHECKED : BST_UNCHECKED, 0);
    // The name is typed into the edit inside the file-name combo.
    HWND name = FindControl(dialog, kFileNameEdit);
    while (name && ClassOf(name) != L"Edit")
        name = FindControl(name, kFileNameEdit);
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Press(dialog, IDOK);
}

std::vector<HWND> CUtilityRun::MessageBoxes() const {
    // The utility's boxes and the source's (under the source's title): a
    // text, an icon and a few buttons, which no other dialog of theirs is.
    SWindowSearch search{m_info.dwProcessId, nullptr, L"#32770", {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    std::vector<HWND> boxes;
    for (HWND dialog : search.found) {
        int children = 0;
        for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
            ++children;
        const bool button = ::GetDlgItem(dialog, IDOK) || ::GetDlgItem(dialog, IDYES) ||
                            ::GetDlgItem(dialog, IDCANCEL);
        if (::GetDlgItem(dialog, 0xFFFF) && button && children <= 6)
            boxes.push_back(dialog);
    }
    return boxes;
}

std::wstring CUtilityRun::BoxText(HWND box) {
    // The message is the static control with the id every message box gives it.
    return TextOf(::GetDlgItem(box, 0xFFFF));
}

void CUtilityRun::Press(HWND dialog, int id) {
    ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void CUtilityRun::TypeControlKey(HWND window, WORD key) {
    // Activation reaches the other program's thread a moment after the
    // call; keys typed before that would go to the window active before.
    ::SetForegroundWindow(window);
    WaitFor([&] { return ::GetForegroundWindow() == window; }, 2000);
    ::Sleep(kSettleMs);
    const WORD sequence[4][2] = {
        {VK_CONTROL, 0}, {key, 0}, {key, KEYEVENTF_KEYUP}, {VK_CONTROL, KEYEVENTF_KEYUP}};
    for (const auto &stroke : sequence) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = stroke[0];
        input.ki.dwFlags = stroke[1];
        ::SendInput(1, &input, sizeof(INPUT));
        ::Sleep(20);
    }
}

HWND CUtilityRun::FindControl(HWND dialog, int id) {
    SControlSearch search{id, nullptr};
    ::EnumChildWindows(dialog, MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring CUtilityRun::ControlText(HWND dialog, int id) {
    const HWND control = FindControl(dialog, id);
    return control ? TextOf(control) : L"<no control>";
}

bool CUtilityRun::WaitFor(const std::function<bool()> &done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(20);
    }
}

HWND CUtilityRun::WaitForWindow(const std::function<HWND()> &find, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = find()) != nullptr; }, timeoutMs);
    return found;
}

HWND CUtilityRun::WaitForDialog(const std::wstring &title, DWORD timeoutMs) const {
    return WaitForWindow(
        [&]() -> HWND {
            const auto windows = Windows(title, L"#32770");
            return windows.empty() ? nullptr : windows.front();
        },
        timeoutMs);
}

HWND CUtilityRun::WaitForMessageBox(DWORD timeoutMs) const {
    return WaitForWindow(
        [&]() -> HWND {
            const auto boxes = MessageBoxes();
            return boxes.empty() ? nullptr : boxes.front();
        },
        timeoutMs);
}
