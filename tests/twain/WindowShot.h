// What the screen shows of a window, for tests on a virtual screen: taken
// from the screen (so another program's window serves as well as our own),
// asked whether text was drawn inside a part of it, and kept as a BMP file
// for scripts/screenshots when CORV_SHOT_DIR names a folder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

class CWindowShot {
public:
    // The window as it is on the screen now, frame included.
    static CWindowShot Of(HWND window);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Pixels inside `part`'s rectangle that are much darker than a face
    // colour: drawn text.
    int DarkPixelsIn(HWND part) const;
    // Pixels of exactly that colour inside `part`'s rectangle.
    int PixelsIn(HWND part, COLORREF colour) const;
    // Writes <CORV_SHOT_DIR>\<name>.bmp; nothing without the variable.
    void Keep(const char *name) const;

private:
    int CountIn(HWND part, const std::function<bool(const uint8_t *bgr)> &counts) const;
    int Stride() const { return (m_width * 3 + 3) & ~3; }

    RECT m_place{};
    int m_width = 0;
    int m_height = 0;
    std::vector<uint8_t> m_bgr;  // bottom-up rows, 3 bytes a pixel, rows padded to 4
};
