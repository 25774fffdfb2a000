#include "ClientSystemText.h"

std::string FormatClientSystemText(const COsVersion &v) {
    if (!v.known)
        return "Windows";
    std::string prefix;
    switch (v.platformId) {
        case 0:
            prefix = "Win32s";
            break;
        case 1:
            prefix = v.minor == 0 ? "Win95" : "Win98";
            break;
        case 2:
            prefix = "WinNT";
            break;
        default:
            break;
    }
    return prefix + v.servicePack + "(" + std::to_string(v.major) + "." + std::to_string(v.minor) +
           "." + std::to_string(v.build) + ")";
}
