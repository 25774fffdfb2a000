// The rulers in a real window on a virtual screen, their ticks and labels
// read back from the screen's pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "Scale.h"
#include "WindowShot.h"

namespace {

void Pump() {
    MSG msg;
    for (int round = 0; round < 20; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

class Scale : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = L"ScaleHost";
        RegisterClassW(&wc);
        m_host = CreateWindowW(L"ScaleHost", L"preview", WS_POPUP | WS_VISIBLE, 10, 10, 320, 200,
                               nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(m_host);
        SetForegroundWindow(m_host);
    }
    void TearDown() override { DestroyWindow(m_host); }
    HWND Child(const wchar_t *cls, DWORD style, int x, int y, int w, int h) {
        return CreateWindowW(cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_host, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    }
    HWND m_host = nullptr;
};

COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

// Rows (from the top) of a horizontal ruler's column that are black.
std::vector<int> BlackRows(HWND ruler, int x, int height) {
    std::vector<int> rows;
    for (int y = 0; y < height; ++y)
        if (ScreenPixel(ruler, x, y) == RGB(0, 0, 0))
            rows.push_back(y);
    return rows;
}

std::vector<int> Span(int from, int to) {
    std::vector<int> rows;
    for (int y = from; y <= to; ++y)
        rows.push_back(y);
    return rows;
}

// The frame's first row or column in front.
std::vector<int> Framed(std::vector<int> rows) {
    rows.insert(rows.begin(), 0);
    return rows;
}

TEST_F(Scale, RulersDrawTicksAndLabelsWhereTheImageIs) {
    HWND horizontal = Child(L"STATIC", 0, 30, 10, 240, 24);
    HWND vertical = Child(L"STATIC", 0, 6, 34, 24, 150);
    CScale top, left;
    top.Attach(horizontal, CScale::EOrientation::Horizontal, 12);
    left.Attach(vertical, CScale::EOrientation::Vertical, 12);
    // 254 dpi at zoom 3: 10 screen pixels a millimetre, labels every 4 mm.
    SScaleView view{254, ELengthUnit::Millimetre, 3, 0};
    top.SetView(view);
    view.origin = 25;
    left.SetView(view);
    UpdateWindow(m_host);
    Pump();
    CWindowShot::Of(m_host).Keep("preview-rulers");

    // Labelled tick: full height inside the frame; the fifth minor tick
    // half of it, the others a quarter; the bottom row is the frame.
    EXPECT_EQ(BlackRows(horizontal, 40, 24), Span(0, 23));
    EXPECT_EQ(BlackRows(horizontal, 20, 24), Framed(Span(12, 23)));
    EXPECT_EQ(BlackRows(horizontal, 56, 24), Framed(Span(18, 23)));
    EXPECT_EQ(BlackRows(horizontal, 58, 24), (std::vector<int>{0, 23}));
    int label = 0;  // "4" right of its tick
    for (int x = 41; x < 50; ++x)
        for (int y = 1; y < 12; ++y) {
            // Thin type is drawn smoothed: dark, not always black.
            const COLORREF c = ScreenPixel(horizontal, x, y);
            label += GetRValue(c) + GetGValue(c) + GetBValue(c) < 384;
        }
    EXPECT_GT(label, 4);

    // Scrolled by 25 pixels: the tick of 0.7 mm at 3, the label 4 at 15.
    auto blackColumns = [&](int y) {
        std::vector<int> columns;
        for (int x = 0; x < 24; ++x)
            if (ScreenPixel(vertical, x, y) == RGB(0, 0, 0))
                columns.push_back(x);
        return columns;
    };
    EXPECT_EQ(blackColumns(3), Framed(Span(18, 23)));
    EXPECT_EQ(blackColumns(15), Span(0, 23));
    EXPECT_EQ(blackColumns(5), (std::vector<int>{0, 23}));
}

}  // namespace
