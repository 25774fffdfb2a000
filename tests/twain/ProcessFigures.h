// What a process holds: memory, kernel handles, window-system objects.
// For leak checks over long runs, of the test process or of a program it
// drives.
#pragma once

#include <windows.h>

#include <cstddef>

struct SProcessFigures {
    // GetProcessMemoryInfo (Wine 8 leaves PrivateUsage at 0), and the
    // committed private memory summed over the address space, which both
    // systems keep.
    size_t privateBytes = 0;
    size_t committedPrivate = 0;
    size_t workingSet = 0;
    // GetProcessHandleCount (0 under Wine 8), and the handles counted by
    // asking every handle value of the table.
    DWORD handles = 0;
    DWORD handlesProbed = 0;
    // GetGuiResources: 0 where the system does not keep them.
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    // Windows of the process, top-level and children.
    DWORD windows = 0;

    static SProcessFigures Measure();
    // Another process, opened with query, read and handle-duplication rights.
    static SProcessFigures Of(HANDLE process, DWORD processId);
};
