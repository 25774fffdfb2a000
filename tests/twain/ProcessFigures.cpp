#include "ProcessFigures.h"

#include <psapi.h>

namespace {

// Handle values are multiples of 4; a test process stays far below this.
constexpr ULONG_PTR kHighestProbedHandle = 0x20000;

DWORD ProbeHandles() {
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < kHighestProbedHandle; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

size_t CommittedPrivate() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char *at = nullptr; ::VirtualQuery(at, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char *next = static_cast<const char *>(region.BaseAddress) + region.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return total;
}

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++*reinterpret_cast<DWORD *>(param);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == ::GetCurrentProcessId()) {
        ++*reinterpret_cast<DWORD *>(param);
        ::EnumChildWindows(window, CountChild, param);
    }
    return TRUE;
}

}  // namespace

SProcessFigures SProcessFigures::Measure() {
    SProcessFigures f;
    HANDLE self = ::GetCurrentProcess();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory),
                               sizeof memory)) {
        f.privateBytes = memory.PrivateUsage;
        f.workingSet = memory.WorkingSetSize;
    }
    f.committedPrivate = CommittedPrivate();
    ::GetProcessHandleCount(self, &f.handles);
    f.handlesProbed = ProbeHandles();
    f.gdiObjects = ::GetGuiResources(self, GR_GDIOBJECTS);
    f.userObjects = ::GetGuiResources(self, GR_USEROBJECTS);
    ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&f.windows));
    return f;
}
