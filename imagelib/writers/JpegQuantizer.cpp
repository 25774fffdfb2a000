#include "JpegQuantizer.h"

#include "JpegLibrary.h"
#include "JpegTables.h"

#include <bit>
#include <cstring>

namespace corv {
namespace {

// The coefficients come eight times their true size, so each is divided by
// d = 8 q. floor(n * (floor(2^26 / d) + 1) / 2^26) == floor(n / d) while
// n * d < 2^26: coefficients of 8-bit samples stay within +-8192 (+-16384 is
// allowed) and d within 8..2040, so n = |coefficient| + d / 2 < 2^15 meets
// it, and the product needs 64 bits.
constexpr int kReciprocalBits = 26;
constexpr uint32_t kCoefficientScale = 8;

// Eight 0/1 bytes to eight bits, byte i to bit i: the multiplication moves
// every byte's bit into the top byte without carries.
constexpr uint64_t kGatherBits = 0x0102040810204080ull;

// Byte i of the loaded word is flags[i] only on a little-endian host.
static_assert(std::endian::native == std::endian::little);

[[gnu::always_inline]] inline uint64_t PackFlags(const uint8_t *flags) {
    uint64_t bytes;
    std::memcpy(&bytes, flags, sizeof bytes);
    return (bytes * kGatherBits) >> 56;
}

[[gnu::always_inline]] inline uint64_t QuantizeBlock(const uint32_t *half,
                                                     const uint32_t *reciprocal,
                                                     const int32_t coef[64], int32_t out[64]) {
    alignas(32) int32_t natural[64];
    for (int i = 0; i < 64; ++i) {
        const int32_t x = coef[i];
        // x + d/2 for x > 0, x - d/2 otherwise, then truncated toward zero:
        // the magnitude is (|x| + d/2) / d and the sign is x's.
        const int32_t sign = x >> 31;
        const uint32_t magnitude = static_cast<uint32_t>((x ^ sign) - sign) + half[i];
        const int32_t q =
            static_cast<int32_t>((uint64_t{magnitude} * reciprocal[i]) >> kReciprocalBits);
        natural[i] = (q ^ sign) - sign;
    }
    alignas(32) uint8_t flags[64];
    for (int k = 0; k < 64; ++k)
        out[k] = natural[kJpegNaturalOrder[k]];
    for (int k = 0; k < 64; ++k)
        flags[k] = out[k] != 0;
    uint64_t nonZero = 0;
    for (int group = 0; group < 8; ++group)
        nonZero |= PackFlags(flags + 8 * group) << (8 * group);
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
        const uint32_t d = table[i] * kCoefficientScale;
        m_half[i] = d / 2;
        m_reciprocal[i] = ((uint32_t(1) << kReciprocalBits) / d) + 1;
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
