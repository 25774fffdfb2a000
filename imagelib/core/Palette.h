#pragma once
#include <cstddef>
// Palette colours and the pixel arithmetic the readers and dithers share.
#include <cstdint>
#include <vector>

namespace corv {

struct PaletteEntry {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const PaletteEntry &o) const { return r == o.r && g == o.g && b == o.b; }
};
using Palette = std::vector<PaletteEntry>;

// Luminance with the JPEG colour conversion's weights (16.16 fixed point).
inline uint8_t Luminance(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint8_t>((19595u * r + 38470u * g + 7471u * b + 32768u) >> 16);
}

// `count` entries from black to white in equal steps.
Palette GrayRamp(int count);
bool IsGrayRamp(const Palette &palette, int count);

}  // namespace corv
