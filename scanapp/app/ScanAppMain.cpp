#include <windows.h>

#include <commctrl.h>

#include "DiagLog.h"
#include "ScanApp.h"

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int) {
    CDiagLog::Instance().OpenIfSwitchedOn("corvscan.log");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    CScanApp app(module);
    int code = 0;
    if (app.InitInstance())
        code = app.Run();
    app.ExitInstance();
    WriteLog("exit %d", code);
    return code;
}
