// The main job as a user does it: corvscan.exe started, the source's
// dialog opened by the utility, Scan pressed, the save dialog answered with
// a multi-page PDF, every sheet of the feeder saved, the source closed and
// the utility ended. Prints what the utility did.
//
//   corvscan_demo OUTPUT_FOLDER PORT SHEETS
#include <windows.h>

#include <cstdio>
#include <string>

#include "UtilityRun.h"

namespace {

// A new Wine prefix takes its time over the first windows of a program.
constexpr DWORD kFirstWindowMs = 180000;
constexpr DWORD kSheetMs = 60000;

int Fail(const char *what, CUtilityRun *run = nullptr) {
    std::fprintf(stderr, "corvscan_demo: %s\n", what);
    for (const std::string &line : CUtilityRun::LogLines())
        std::fprintf(stderr, "  corvscan: %s\n", line.c_str());
    if (run) {
        for (HWND box : run->MessageBoxes())
            std::fprintf(stderr, "  a box is up: %ls\n", CUtilityRun::BoxText(box).c_str());
        if (const HWND main = run->MainWindow())
            ::PostMessageW(main, WM_COMMAND, 32772, 0);
        run->WaitForExit(10000);
    }
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4)
        return Fail("usage: corvscan_demo OUTPUT_FOLDER PORT SHEETS");
    std::string folder;
    int port = 0, sheets = 0;
    if (!CUtilityRun::FeederArguments(argv + 1, folder, port, sheets))
        return Fail("the port and the sheets must be numbers");

    // Our source where Wine's source manager looks, set up as a user would:
    // the server, colour at 300 dpi, A4 from the feeder.
    if (const char *failed = CUtilityRun::SetUpFeederScan(port, 1))
        return Fail(failed);

    CUtilityRun run;
    if (!run.Start())
        return Fail("corvscan.exe did not start");
    const HWND source =
        CUtilityRun::WaitForWindow([&] { return run.SourceDialog(); }, kFirstWindowMs);
    if (!source)
        return Fail("the source's dialog did not open", &run);
    std::printf("corvscan opened the source's dialog; pressing Scan\n");
    CUtilityRun::Press(source, IDOK);
    const HWND save = run.WaitForSaveDialog(kFirstWindowMs);
    if (!save)
        return Fail("the save dialog did not open", &run);
    const std::wstring target = std::wstring(folder.begin(), folder.end()) + L"\\demo";
    std::printf("saving as a multi-page PDF: %s\\demo.pdf\n", folder.c_str());
    CUtilityRun::AnswerSaveDialog(save, target, 4, false);
    if (!CUtilityRun::WaitForLog("saving done", 1, kSheetMs * static_cast<DWORD>(sheets)))
        return Fail("the pages were not saved in time", &run);
    for (const std::string &line : CUtilityRun::LogLines())
        if (line.rfind("page ", 0) == 0 || line.rfind("saving done", 0) == 0)
            std::printf("  %s\n", line.c_str());
    if (!run.MessageBoxes().empty())
        return Fail("the utility shows a message", &run);

    CUtilityRun::Press(source, IDCANCEL);
    CUtilityRun::WaitForLog("closeDSM", 2, kSheetMs);
    if (const HWND main = run.MainWindow())
        ::PostMessageW(main, WM_COMMAND, 32772, 0);
    if (run.WaitForExit(kSheetMs) != 0)
        return Fail("corvscan did not end");
    return 0;
}
