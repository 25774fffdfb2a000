// The window messages the data source's dialog and the scan utility
// exchange beside the TWAIN channel: the utility's length unit, and
// disabling the source's progress window while the utility shows a box.
// Both programs register the same names when they load.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// The unit request and answer, passed as a handle to 520 bytes of zeroed
// global memory in wParam. The source allocates and frees it; the utility
// only writes the unit. The dialog's window handle travels in 32 bits, as
// window handles do between 32- and 64-bit programs.
struct SCANARGUMENTDETAILS {
    uint32_t dialogWindow;
    uint8_t reserved[512];
    int32_t unit;  // 1 mm, 2 inch, 3 pt, 4 Q
};
static_assert(sizeof(SCANARGUMENTDETAILS) == 520);
static_assert(offsetof(SCANARGUMENTDETAILS, unit) == 516);

class CScanUiMessages {
public:
    // Registered by both sides, never sent.
    static UINT ScanMessage();
    // Source dialog → utility main window: wParam the block.
    static UINT ParamRequest();
    // Utility → source dialog: wParam the same block, the unit written.
    static UINT ParamResponse();
    // Utility → source dialog, posted: wParam 0 disable, 1 enable the progress window.
    static UINT EnableProgress();

    static HWND WindowFromBlock(uint32_t value) {
        return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
    }
    static uint32_t BlockFromWindow(HWND window) {
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    }
};
