#include "ClientSystemText.h"

#include <windows.h>

COsVersion QueryOsVersion() {
    COsVersion v;
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info))
        return v;
#pragma GCC diagnostic pop
    v.known = true;
    v.platformId = info.dwPlatformId;
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    // 9x systems keep version bits in the high word of the build number.
    v.build = info.dwPlatformId == VER_PLATFORM_WIN32_NT ? info.dwBuildNumber
                                                         : LOWORD(info.dwBuildNumber);
    v.servicePack = info.szCSDVersion;
    return v;
}
