#include "JpegQuantizer.h"

#include "JpegLibrary.h"
#include "JpegTables.h"

#include <array>
#include <bit>
#include <cstring>

namespace corv {
namespace {

// The coefficients come eight times their true size, so each magnitude n is
// divided by 8 q, and floor(n / 8q) == floor(floor(n / 8) / q). With
// m = floor(n / 8) <= (16384 + 1020) / 8 < 2^12 and q <= 255, m q < 2^20, so
// r = floor(2^20 / q) + 1 gives floor(m r / 2^20) == floor(m / q) exactly,
// and m r stays below 2^32: one 32-bit product per coefficient, which
// vector units have.
constexpr int kReciprocalBits = 20;
constexpr int kCoefficientShift = 3;  // the factor 8 of the forward transform

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

[[gnu::always_inline]] inline uint64_t QuantizeBlock(const uint32_t *half,
                                                     const uint32_t *reciprocal,
                                                     const int32_t coef[64], int32_t out[64]) {
    alignas(16) uint8_t flags[64];
    for (int i = 0; i < 64; ++i) {
        const int32_t x = coef[i];
        // x + d/2 for x > 0, x - d/2 otherwise, then truncated toward zero:
        // the magnitude is (|x| + d/2) / d and the sign is x's.
        const int32_t sign = x >> 31;
        const uint32_t magnitude = static_cast<uint32_t>((x ^ sign) - sign) + half[i];
        const int32_t q = static_cast<int32_t>(((magnitude >> kCoefficientShift) * reciprocal[i]) >>
                                               kReciprocalBits);
        out[i] = (q ^ sign) - sign;
        flags[i] = q != 0;
    }
    uint64_t nonZero = 0;
    for (int row = 0; row < 8; ++row) {
        uint64_t bytes;
        std::memcpy(&bytes, flags + 8 * row, sizeof bytes);
        nonZero |= kZigzagMasks[row][(bytes * kGatherBits) >> 56];
    }
    return nonZero;
}

[[gnu::target("avx2")]] uint64_t QuantizeAvx2(const uint32_t *half, const uint32_t *reciprocal,
                                              const int32_t coef[64], int32_t out[64]) {
    return QuantizeBlock(half, reciprocal, coef, out);
}

uint64_t QuantizeDefault(const uint32_t *half, const uint32_t *reciprocal, const int32_t coef[64],
                         int32_t out[64]) {
    return QuantizeBlock(half, reciprocal, coef, out);
}

}  // namespace

void CJpegQuantizer::SetTable(const uint16_t table[64]) {
    for (int i = 0; i < 64; ++i) {
        const uint32_t q = table[i];
        m_half[i] = (q << kCoefficientShift) / 2;
        m_reciprocal[i] = ((uint32_t(1) << kReciprocalBits) / q) + 1;
    }
}

uint64_t CJpegQuantizer::Quantize(const int32_t coef[64], int32_t out[64]) const {
    using Kernel = uint64_t (*)(const uint32_t *, const uint32_t *, const int32_t *, int32_t *);
    static const Kernel kernel = JpegCpuHasAvx2() ? QuantizeAvx2 : QuantizeDefault;
    return kernel(m_half, m_reciprocal, coef, out);
}

uint64_t CJpegQuantizer::QuantizePlain(const int32_t coef[64], int32_t out[64]) const {
    return QuantizeDefault(m_half, m_reciprocal, coef, out);
}

}  // namespace corv
