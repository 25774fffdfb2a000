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
    uint64_t Quantize(const int16_t coef[64], int16_t out[64]) const;
    uint64_t QuantizePlain(const int16_t coef[64], int16_t out[64]) const;
    uint64_t QuantizeSse2(const int16_t coef[64], int16_t out[64]) const;
    uint64_t QuantizeAvx(const int16_t coef[64], int16_t out[64]) const;

    // The non-zero flags of a block from natural order (bit i: entry i) to
    // zigzag order (bit k: zigzag position k).
    static uint64_t ZigzagMask(uint64_t naturalBits);

    // Per natural position, for the kernels: half the divisor; the
    // reciprocal of the step in 32 bits; and, for 16-bit lanes, the
    // reciprocal of the divisor less 2^16 and the power of two that
    // completes its shift.
    struct Steps {
        alignas(16) uint32_t half32[64];
        alignas(16) uint32_t reciprocal32[64];
        alignas(16) uint16_t half[64];
        alignas(16) uint16_t reciprocal[64];
        alignas(16) uint16_t shift[64];
    };

    const Steps &KernelSteps() const { return m_steps; }

private:
    Steps m_steps = {};
};

}  // namespace corv
