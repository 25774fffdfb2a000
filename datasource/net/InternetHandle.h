// WinINet handles in the same small owner as every other handle.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "WinHandles.h"

struct InternetTraits {
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};

using CInternetHandle = CScopedHandle<HINTERNET, InternetTraits>;
