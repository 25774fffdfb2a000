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

    static constexpr int Index(int i, int j, int k) { return i * kGrid * kGrid + j * kGrid + k; }

    static const Table &Nodes();

    // The nodes with their three channels side by side in one word, 21 bits
    // apart from red up: the weights are non-negative and sum to 8, so a
    // weighted sum of four packed nodes is four multiplications and no
    // channel carries into the next (8 x 65535 < 2^21).
    static constexpr int kLaneBits = 21;
    static const uint64_t *Packed();
    // Offsets from a cell's base node to the two middle corners of its
    // tetrahedron, by (f0 >= f1) << 2 | (f1 >= f2) << 1 | (f0 >= f2) for the
    // positions f0, f1, f2 inside the cell.
    struct Order {
        uint16_t corner1, corner2;
    };
    static Order Corners(unsigned comparisons);
    // Offset to the far corner of a cell.
    static constexpr int kFar = kGrid * kGrid + kGrid + 1;

    // One pixel: 8-bit Y, Cb, Cr in; blue, green, red bytes out.
    static void Convert(const uint8_t *ycc, uint8_t *bgr) { Convert(ycc[0], ycc[1], ycc[2], bgr); }
    static void Convert(unsigned y, unsigned cb, unsigned cr, uint8_t *bgr);
    // count pixels of Y, Cb, Cr bytes to as many of blue, green, red.
    static void ConvertPixels(const uint8_t *ycc, size_t count, uint8_t *bgr);
};

}  // namespace corvcolor
