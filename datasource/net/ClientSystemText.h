// The X_CLIENT text that tells the server which Windows the client runs.
#pragma once

#include <cstdint>
#include <string>

struct COsVersion {
    bool known = false;       // false when the version could not be read
    uint32_t platformId = 0;  // 0 Win32s, 1 Windows 9x, 2 NT family
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    std::string servicePack;  // system ANSI code page
};

// For example "WinNTService Pack 2(5.1.2600)".
std::string FormatClientSystemText(const COsVersion &v);

// The running system's version (one implementation per platform).
COsVersion QueryOsVersion();
