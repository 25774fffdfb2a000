// Where Wine's own source manager lives and where it looks for sources.
// A 32-bit program takes TWAIN_32.DLL from the Windows folder, as TWAIN
// applications do; the 64-bit build of the tests (for hosts that run no
// 32-bit programs) takes Wine's 64-bit one from the system folder. The
// manager loads only the fixed file name sane.ds from the folder
// twain_32 (twain_64 for a 64-bit program) of the Windows folder.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring WineDsmPath() {
    wchar_t dir[MAX_PATH] = {};
    if (sizeof(void *) == 8)
        ::GetSystemDirectoryW(dir, MAX_PATH);
    else
        ::GetWindowsDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\twain_32.dll";
}

inline std::wstring WineSourceFolder() {
    wchar_t dir[MAX_PATH] = {};
    ::GetWindowsDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + (sizeof(void *) == 8 ? L"\\twain_64" : L"\\twain_32");
}
