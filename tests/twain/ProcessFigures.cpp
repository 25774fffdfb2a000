#include "ProcessFigures.h"

#include <psapi.h>

namespace {

// Handle values are multiples of 4; a test process stays far below this.
constexpr ULONG_PTR kHighestProbedHandle = 0x20000;

DWORD ProbeHandles(HANDLE process, bool self) {
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < kHighestProbedHandle; value += 4) {
        const auto handle = reinterpret_cast<HANDLE>(value);
        DWORD flags = 0;
        HANDLE copy = nullptr;
        if (self) {
            count += ::GetHandleInformation(handle, &flags) ? 1 : 0;
        } else if (::DuplicateHandle(process, handle, ::GetCurrentProcess(), &copy, 0, FALSE,
                                     DUPLICATE_SAME_ACCESS)) {
            ::CloseHandle(copy);
            ++count;
        }
    }
    return count;
}

size_t CommittedPrivate(HANDLE process) {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char *at = nullptr;
         ::VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;) {
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

struct SWindowCount {
    DWORD processId;
    DWORD windows;
};

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
    auto *count = reinterpret_cast<SWindowCount *>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == count->processId) {
        ++count->windows;
        ::EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&count->windows));
    }
    return TRUE;
}

}  // namespace

SProcessFigures SProcessFigures::Measure() {
    return Of(::GetCurrentProcess(), ::GetCurrentProcessId());
}

SProcessFigures SProcessFigures::Of(HANDLE process, DWORD processId) {
    SProcessFigures f;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory),
                               sizeof memory)) {
        f.privateBytes = memory.PrivateUsage;
        f.workingSet = memory.WorkingSetSize;
    }
    f.committedPrivate = CommittedPrivate(process);
    ::GetProcessHandleCount(process, &f.handles);
    f.handlesProbed = ProbeHandles(process, processId == ::GetCurrentProcessId());
    f.gdiObjects = ::GetGuiResources(process, GR_GDIOBJECTS);
    f.userObjects = ::GetGuiResources(process, GR_USEROBJECTS);
    SWindowCount count{processId, 0};
    ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    f.windows = count.windows;
    return f;
}
