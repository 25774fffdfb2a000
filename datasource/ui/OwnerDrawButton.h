// A push button drawn by its dialog: a 3D frame, raised or sunken, and a
// 16 × 16 picture in the middle. It can stay down (latched), which is how
// the preview's three pointer buttons show the pointer mode in use.
#pragma once

#include <windows.h>

#include "WinHandles.h"

class COwnerDrawButton {
public:
    // Makes `button` owner-drawn with the bitmap resource `bitmapId`.
    void Attach(HWND button, HINSTANCE module, int bitmapId);
    HWND Hwnd() const { return m_button; }
    bool Latched() const { return m_latched; }
    void SetLatched(bool latched);
    // The dialog's WM_DRAWITEM for this button.
    void Draw(const DRAWITEMSTRUCT &item) const;

private:
    HWND m_button = nullptr;
    CGdiObject m_bitmap;
    bool m_latched = false;
};
