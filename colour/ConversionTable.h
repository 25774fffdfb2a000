#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvcolor {

// The 33 x 33 x 33 table from the scanner's luminance/chroma preview data
// (Y, Cb, Cr) to display RGB, with tetrahedral interpolation between nodes.
class CConversionTable {
public:
    static constexpr int kGrid = 33;
    static constexpr int kNodes = kGrid * kGrid * kGrid;
    static constexpr int kStep = 8;  // 8-bit distance between grid points
    // Node values are 8.8 fixed point: 256 per 8-bit level, so a node just
    // past white (the 33rd point stands for 256) still holds 255.996.
    static constexpr int kNodeOne = 256;

    struct Node {
        uint16_t r, g, b;
    };
    using Table = std::array<Node, kNodes>;

    static const Table &Nodes();
    static constexpr int Index(int i, int j, int k) { return i * kGrid * kGrid + j * kGrid + k; }

    // One pixel: 8-bit Y, Cb, Cr in; blue, green, red bytes out.
    static void Convert(const uint8_t *ycc, uint8_t *bgr) { Convert(ycc[0], ycc[1], ycc[2], bgr); }
    static void Convert(unsigned y, unsigned cb, unsigned cr, uint8_t *bgr);
    // count pixels of Y, Cb, Cr bytes to as many of blue, green, red.
    static void ConvertPixels(const uint8_t *ycc, size_t count, uint8_t *bgr);
};

}  // namespace corvcolor
