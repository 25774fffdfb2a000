// Proves that a window drawn by a test reaches a real (virtual) screen whose
// pixels can be read back, as the dialog screenshot tests do.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

const COLORREF kFill = RGB(0x20, 0x80, 0xc0);

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(kFill);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        Sleep(10);
    }
}

TEST(DisplayProbe, PaintedWindowIsVisibleOnTheScreen) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CorvDisplayProbe";
    ASSERT_TRUE(RegisterClassW(&wc));
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"probe", WS_POPUP | WS_VISIBLE,
                                40, 40, 200, 120, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    UpdateWindow(hwnd);
    Pump(300);

    HDC screen = GetDC(nullptr);
    COLORREF inside = GetPixel(screen, 140, 100);
    COLORREF outside = GetPixel(screen, 600, 600);
    ReleaseDC(nullptr, screen);
    DestroyWindow(hwnd);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);

    EXPECT_EQ(inside, kFill);
    EXPECT_NE(outside, kFill);
}

}  // namespace
