#pragma once
// CJpegQuantizer: divides DCT coefficients by one quantisation table,
// rounding half away from zero. The block stays in natural order; the mask
// of its non-zero entries comes in zigzag order, which is all the Huffman
// coder needs to find them.
#include <cstdint>

namespace corv {

class CJpegQuantizer {
public:
    // `table` in natural order; every entry 1..255.
    void SetTable(const uint16_t table[64]);
    // `coef` natural order in, eight times the true coefficients as the
    // forward transform gives them (|value| <= 16384); `out` natural order.
    // Returns the mask of non-zero outputs, bit k for zigzag position k.
    // Uses the fastest kernel the processor runs; QuantizePlain is the
    // reference every kernel matches.
    uint64_t Quantize(const int32_t coef[64], int32_t out[64]) const;
    uint64_t QuantizePlain(const int32_t coef[64], int32_t out[64]) const;

private:
    // Per natural position: half the divisor and the reciprocal of the step
    // that replaces the division.
    uint32_t m_half[64] = {};
    uint32_t m_reciprocal[64] = {};
};

}  // namespace corv
