// The scan utility's start-up, main window and TWAIN side arrive with their
// own issues; until then the program only honours the log switch and ends.
#include <windows.h>

#include "DiagLog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CDiagLog::Instance().OpenIfSwitchedOn("corvscan.log");
    return 0;
}
