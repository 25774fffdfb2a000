// corvscan.exe run as a user runs it, watched from outside: its profile
// written beforehand, its diagnostic log switched on and read, its windows
// and those of the source it opens found by title within its process,
// buttons pressed and keys typed as a person would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class CUtilityRun {
public:
    CUtilityRun() = default;
    ~CUtilityRun();
    CUtilityRun(const CUtilityRun &) = delete;
    CUtilityRun &operator=(const CUtilityRun &) = delete;

    // The program as built.
    static std::wstring BuiltProgram();
    // Where the program keeps its settings on this system.
    static std::string ProfilePath();
    // Replaces the profile with these keys of section "Settings"; no keys
    // removes it.
    static void WriteProfile(const std::vector<std::pair<std::string, std::string>> &keys);
    static std::string ProfileValue(const std::string &key);
    // Makes `dll` the source manager in the Windows directory, where the
    // program loads it from.
    static bool InstallManager(const std::wstring &dll);
    // Keeps what the Windows directory holds as TWAIN_32.DLL aside, and puts
    // it back: a 32-bit Wine keeps its own manager there.
    static void SaveManager();
    static void RestoreManager();
    // Wine keeps its own TWAIN_32.DLL and sources for every path of those
    // names; for the libraries named here (none: back to Wine's) the
    // program loads the files it finds, as Windows would.
    static void LoadFilesOf(const std::vector<std::wstring> &libraries);
    // Our source installed for Wine's source manager and set up as an
    // office has it: the simulator at `port`, A4 colour from the feeder at
    // resolution code `resolution`; the utility's profile opens the source
    // at start and keeps PDF pages as JPEG; its log emptied. Null when done,
    // else what could not be set up.
    static const char *SetUpFeederScan(int port, int resolution);
    // OUTPUT_FOLDER PORT SHEETS of the programs that run a feeder scan: the
    // folder with Windows separators; false when the numbers are not.
    static bool FeederArguments(char **argv, std::string &folder, int &port, int &sheets);
    static std::string LogPath();
    // The log switched on and emptied.
    static void ResetLog();
    static std::vector<std::string> LogLines();
    static int CountLog(const std::string &part);
    static bool WaitForLog(const std::string &part, int count, DWORD timeoutMs);

    bool Start(const std::wstring &program = BuiltProgram());
    DWORD ProcessId() const { return m_info.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(DWORD timeoutMs);

    // Visible top-level windows of the process with this title (and class,
    // when given).
    std::vector<HWND> Windows(const std::wstring &title, const wchar_t *className = nullptr) const;
    HWND MainWindow() const;
    HWND SourceDialog() const;
    // The save dialog, when it is up.
    HWND SaveDialog() const;
    // Chooses the output type (1 to 5), sets the check box that asks for
    // the type's options, types `path` and presses Save.
    static void AnswerSaveDialog(HWND dialog, const std::wstring &path, int type, bool askOptions);
    // The utility's message boxes up now.
    std::vector<HWND> MessageBoxes() const;
    static std::wstring BoxText(HWND box);
    static void Press(HWND dialog, int id);
    // Ctrl + key, typed into the foreground window after `window` is brought there.
    static void TypeControlKey(HWND window, WORD key);
    // A control anywhere below `dialog` with this id, and its text.
    static HWND FindControl(HWND dialog, int id);
    static std::wstring ControlText(HWND dialog, int id);

    static bool WaitFor(const std::function<bool()> &done, DWORD timeoutMs);
    // The first window `find` gives within the time; nullptr when none came.
    static HWND WaitForWindow(const std::function<HWND()> &find, DWORD timeoutMs);
    // A dialog of the process with this title, waited for.
    HWND WaitForDialog(const std::wstring &title, DWORD timeoutMs) const;
    HWND WaitForSaveDialog(DWORD timeoutMs) const {
        return WaitForWindow([this] { return SaveDialog(); }, timeoutMs);
    }
    // The first of the utility's message boxes, waited for.
    HWND WaitForMessageBox(DWORD timeoutMs) const;

private:
    PROCESS_INFORMATION m_info{};
};
