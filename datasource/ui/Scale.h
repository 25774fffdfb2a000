// A ruler beside the preview, drawn over a static control of the main
// dialog: ticks and labels in the display unit, counted from the prescan
// image's edge and following its zoom and scroll origin.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ScaleRules.h"
#include "WinHandles.h"

struct SScaleView {
    int32_t dpi = 0;  // the area resolution, whose grid the image's pixels are
    ELengthUnit unit = ELengthUnit::Millimetre;
    int32_t zoom = 3;
    int32_t origin = 0;  // image pixels scrolled off along the ruler
};

class CScale {
public:
    enum class EOrientation { Horizontal, Vertical };

    CScale() = default;
    ~CScale();
    CScale(const CScale &) = delete;
    CScale &operator=(const CScale &) = delete;

    // Both rulers take their labels' height from the horizontal ruler's
    // height: half of it.
    void Attach(HWND control, EOrientation orientation, int labelHeight);
    HWND Hwnd() const { return m_control; }
    // Repaints when anything changed.
    void SetView(const SScaleView &view);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR self);
    void MakeFont(int labelHeight);
    void Paint();
    void Draw(HDC dc, const RECT &client) const;

    HWND m_control = nullptr;
    EOrientation m_orientation = EOrientation::Horizontal;
    SScaleView m_view;
    CGdiObject m_font;
};
