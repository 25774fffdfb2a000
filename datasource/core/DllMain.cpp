// Module start-up and shutdown of corvsrc.ds.
#include <windows.h>

#include "DiagLog.h"
#include "SourceScanJob.h"
#include "TwainSrcApp.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInst, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            ::DisableThreadLibraryCalls(hInst);
            CDiagLog::Instance().OpenIfSwitchedOn("corvsrc.log");
            TheApp().SetScanJobFactory(&CSourceScanJob::Create);
            return TheApp().InitInstance(hInst) ? TRUE : FALSE;
        case DLL_PROCESS_DETACH:
            // At process exit other threads and windows may already be gone;
            // only an unload while the process lives tears the source down.
            if (!reserved)
                TheApp().ExitInstance();
            return TRUE;
        default:
            return TRUE;
    }
}
