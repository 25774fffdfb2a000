#include "JpegQuantizer.h"

#include "JpegKernels.h"
#include "JpegLibrary.h"
#include "JpegTables.h"

#include <array>
#include <bit>
#include <cstring>

namespace corv {
namespace {

// The coefficients come eight times their true size, so each magnitude n is
// divided by d = 8 q, and floor(n / 8q) == floor(floor(n / 8) / q). With
// m = floor(n / 8) <= (16384 + 1020) / 8 < 2^12 and q <= 255, m q < 2^20, so
// r = floor(2^20 / q) + 1 gives floor(m r / 2^20) == floor(m / q) exactly,
// and m r stays below 2^32.
constexpr int kReciprocalBits = 20;
constexpr int kCoefficientShift = 3;  // the factor 8 of the forward transform

// The same quotient in 16-bit lanes: with s = ceil(log2 d) and
// r = floor(2^(16+s) / d) + 1, floor(n r / 2^(16+s)) == floor(n / d) for
// every n < 2^16 (the error n (r d - 2^(16+s)) / d 2^(16+s) stays below
// 1 / d). r lies in 2^16 + 1 .. 2^17 - 2^7, so r - 2^16 fits 16 bits and
// n r / 2^16 = n + n (r - 2^16) / 2^16 < 2 n < 2^16; the remaining shift
// by s is a high product with 2^(16-s), which fits because d >= 8.
constexpr int kLaneBits = 16;

// Eight 0/1 bytes to eight bits, byte i to bit i: the multiplication moves
// every byte's bit into the top byte without carries.
constexpr uint64_t kGatherBits = 0x0102040810204080ull;

// Byte i of the loaded word is flags[i] only on a little-endian host.
static_assert(std::endian::native == std::endian::little);

// For row r of the block and the mask of its eight non-zero entries, the
// same entries as zigzag bits: eight lookups reorder a whole block's mask.
using ZigzagMaskTable = std::array<std::array<uint64_t, 256>, 8>;

constexpr ZigzagMaskTable MakeZigzagMasks() {
    ZigzagMaskTable t{};
    int zigzagOf[64] = {};
    for (int k = 0; k < 64; ++k)
        zigzagOf[kJpegNaturalOrder[k]] = k;
    for (int row = 0; row < 8; ++row)
        for (int bits = 0; bits < 256; ++bits)
            for (int col = 0; col < 8; ++col)
                if (bits >> col & 1)
                    t[row][bits] |= uint64_t(1) << zigzagOf[row * 8 + col];
    return t;
}

constexpr ZigzagMaskTable kZigzagMasks = MakeZigzagMasks();

}  // namespace

uint64_t CJpegQuantizer::ZigzagMask(uint64_t naturalBits) {
    uint64_t mask = 0;
    for (int row = 0; row < 8; ++row)
        mask |= kZigzagMasks[row][(naturalBits >> (8 * row)) & 0xFF];
    return mask;
}

void CJpegQuantizer::SetTable(const uint16_t table[64]) {
    for (int i = 0; i < 64; ++i) {
        const uint32_t q = table[i], d = q << kCoefficientShift;
        const int s = std::bit_width(d - 1);
        m_steps.half32[i] = d / 2;
        m_steps.reciprocal32[i] = ((uint32_t(1) << kReciprocalBits) / q) + 1;
        m_steps.half[i] = static_cast<uint16_t>(d / 2);
        m_steps.reciprocal[i] =
            static_cast<uint16_t>((uint32_t(1) << (kLaneBits + s)) / d + 1 - (1u << kLaneBits));
        m_steps.shift[i] = static_cast<uint16_t>(1u << (kLaneBits - s));
    }
}

uint64_t CJpegQuantizer::QuantizePlain(const int16_t coef[64], int16_t out[64]) const {
    alignas(16) uint8_t flags[64];
    for (int i = 0; i < 64; ++i) {
        const int32_t x = coef[i];
        // x + d/2 for x > 0, x - d/2 otherwise, then truncated toward zero:
        // the magnitude is (|x| + d/2) / d and the sign is x's.
        const int32_t sign = x >> 31;
        const uint32_t magnitude = static_cast<uint32_t>((x ^ sign) - sign) + m_steps.half32[i];
        const int32_t q = static_cast<int32_t>(
            ((magnitude >> kCoefficientShift) * m_steps.reciprocal32[i]) >> kReciprocalBits);
        out[i] = static_cast<int16_t>((q ^ sign) - sign);
        flags[i] = q != 0;
    }
    uint64_t rowBits = 0;
    for (int row = 0; row < 8; ++row) {
        uint64_t bytes;
        std::memcpy(&bytes, flags + 8 * row, sizeof bytes);
        rowBits |= ((bytes * kGatherBits) >> 56) << (8 * row);
    }
    return ZigzagMask(rowBits);
}

uint64_t CJpegQuantizer::QuantizeSse2(const int16_t coef[64], int16_t out[64]) const {
    return ZigzagMask(kJpegKernelsSse2.quantize(m_steps, coef, out));
}

uint64_t CJpegQuantizer::QuantizeAvx(const int16_t coef[64], int16_t out[64]) const {
    return ZigzagMask(kJpegKernelsAvx.quantize(m_steps, coef, out));
}

uint64_t CJpegQuantizer::Quantize(const int16_t coef[64], int16_t out[64]) const {
    static const int kernel = JpegCpuHasAvx() ? 2 : JpegCpuHasSse2() ? 1 : 0;
    switch (kernel) {
        case 2:
            return QuantizeAvx(coef, out);
        case 1:
            return QuantizeSse2(coef, out);
        default:
            return QuantizePlain(coef, out);
    }
}

}  // namespace corv
