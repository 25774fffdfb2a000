// A long feeder job through the real programs: corvscan.exe with our
// source under Wine's source manager saves every sheet the simulator feeds
// into one multi-page PDF, while this program samples the utility's
// process (the source lives in it) every 50 sheets: committed private
// memory, handles, windows. Prints the samples and the pages per minute.
//
//   soak_bench OUTPUT_FOLDER PORT SHEETS RESOLUTION_CODE
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ProcessFigures.h"
#include "UtilityRun.h"

namespace {

constexpr DWORD kWindowMs = 180000;
constexpr DWORD kSheetMs = 60000;
constexpr int kSampleEvery = 50;

int Fail(const char *what) {
    std::fprintf(stderr, "soak_bench: %s\n", what);
    return 1;
}

void Sample(HANDLE process, DWORD pid, int sheets, DWORD started) {
    const SProcessFigures f = SProcessFigures::Of(process, pid);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(process, &memory, sizeof memory);
    std::printf(
        "sheet %4d  %6.1f s  committed %7.1f MB  peak %7.1f MB  handles %5lu  "
        "windows %4lu\n",
        sheets, (::GetTickCount() - started) / 1000.0, f.committedPrivate / 1e6,
        memory.PeakPagefileUsage / 1e6, static_cast<unsigned long>(f.handlesProbed),
        static_cast<unsigned long>(f.windows));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 5)
        return Fail("usage: soak_bench OUTPUT_FOLDER PORT SHEETS RESOLUTION_CODE");
    std::string folder;
    int port = 0, sheets = 0;
    if (!CUtilityRun::FeederArguments(argv + 1, folder, port, sheets))
        return Fail("the port and the sheets must be numbers");
    if (const char *failed = CUtilityRun::SetUpFeederScan(port, std::atoi(argv[4])))
        return Fail(failed);

    CUtilityRun run;
    if (!run.Start())
        return Fail("corvscan.exe did not start");
    const HWND source = CUtilityRun::WaitForWindow([&] { return run.SourceDialog(); }, kWindowMs);
    if (!source)
        return Fail("the source's dialog did not open");
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE,
                                   FALSE, run.ProcessId());
    if (!process)
        return Fail("the utility's process cannot be measured");
    const DWORD started = ::GetTickCount();
    Sample(process, run.ProcessId(), 0, started);
    CUtilityRun::Press(source, IDOK);
    const HWND save = run.WaitForSaveDialog(kWindowMs);
    if (!save)
        return Fail("the save dialog did not open");
    CUtilityRun::AnswerSaveDialog(save, std::wstring(folder.begin(), folder.end()) + L"\\soak", 4,
                                  false);
    int sampled = 0;
    DWORD lastPage = ::GetTickCount();
    while (CUtilityRun::CountLog("saving done") == 0) {
        ::Sleep(500);
        const int saved = CUtilityRun::CountLog(" saved in ");
        if (saved > 0 && saved != sampled && (saved % kSampleEvery == 0 || saved == 1)) {
            Sample(process, run.ProcessId(), saved, started);
            sampled = saved;
        }
        if (saved != sampled || saved == 0)
            lastPage = saved == 0 ? lastPage : ::GetTickCount();
        if (::GetTickCount() - lastPage > kSheetMs || !run.MessageBoxes().empty())
            return Fail("the job stopped");
    }
    const double seconds = (::GetTickCount() - started) / 1000.0;
    const int saved = CUtilityRun::CountLog(" saved in ");
    Sample(process, run.ProcessId(), saved, started);
    std::printf("%d pages in %.1f s: %.1f pages per minute\n", saved, seconds,
                saved * 60.0 / seconds);
    ::CloseHandle(process);
    CUtilityRun::Press(source, IDCANCEL);
    CUtilityRun::WaitForLog("closeDSM", 2, kSheetMs);
    if (const HWND main = run.MainWindow())
        ::PostMessageW(main, WM_COMMAND, 32772, 0);
    run.WaitForExit(kSheetMs);
    return saved == sheets ? 0 : Fail("not every sheet was saved");
}
