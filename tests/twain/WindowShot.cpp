#include "WindowShot.h"

#include <cstdlib>
#include <fstream>
#include <string>

CWindowShot CWindowShot::Of(HWND window) {
    CWindowShot shot;
    GetWindowRect(window, &shot.m_place);
    shot.m_width = shot.m_place.right - shot.m_place.left;
    shot.m_height = shot.m_place.bottom - shot.m_place.top;
    shot.m_bgr.resize(static_cast<size_t>(shot.Stride()) * shot.m_height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.m_width, shot.m_height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.m_width, shot.m_height, screen, shot.m_place.left, shot.m_place.top,
           SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader = {
        sizeof(BITMAPINFOHEADER), shot.m_width, shot.m_height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(memory, bitmap, 0, shot.m_height, shot.m_bgr.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

int CWindowShot::CountIn(HWND part, const std::function<bool(const uint8_t *bgr)> &counts) const {
    RECT c{};
    GetWindowRect(part, &c);
    int n = 0;
    for (int y = c.top - m_place.top; y < c.bottom - m_place.top; ++y)
        for (int x = c.left - m_place.left; x < c.right - m_place.left; ++x) {
            if (x < 0 || y < 0 || x >= m_width || y >= m_height)
                continue;
            n += counts(&m_bgr[static_cast<size_t>(m_height - 1 - y) * Stride() + x * 3]) ? 1 : 0;
        }
    return n;
}

int CWindowShot::DarkPixelsIn(HWND part) const {
    return CountIn(part, [](const uint8_t *p) { return p[0] + p[1] + p[2] < 200; });
}

int CWindowShot::PixelsIn(HWND part, COLORREF colour) const {
    return CountIn(part, [colour](const uint8_t *p) { return RGB(p[2], p[1], p[0]) == colour; });
}

void CWindowShot::Keep(const char *name) const {
    const char *dir = std::getenv("CORV_SHOT_DIR");
    if (!dir)
        return;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER),
                          m_width,
                          m_height,
                          1,
                          24,
                          BI_RGB,
                          static_cast<DWORD>(Stride() * m_height),
                          0,
                          0,
                          0,
                          0};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::ofstream out(std::string(dir) + "\\" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char *>(&file), sizeof(file));
    out.write(reinterpret_cast<const char *>(&info), sizeof(info));
    out.write(reinterpret_cast<const char *>(m_bgr.data()),
              static_cast<std::streamsize>(m_bgr.size()));
}
