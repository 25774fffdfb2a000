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

// Every request of the scanner protocol: always from the server, and never
// into the Internet cache. Some WinINet implementations keep POST answers
// there, which would leave every scanned page on the user's disk.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
