#include "JpegQuantizer.h"

#include "JpegLibrary.h"
#include "JpegTables.h"

#include <bit>
#include <cstring>

namespace corv {
namespace {

// floor(n * (2^20 / q + 1) / 2^20) == floor(n / q) while n * q < 2^20, and
// the product stays below 2^32 while n < 4096. Coefficients of 8-bit samples
// stay within +-1024 (+-2048 is allowed), steps within 1..255, so
// n = |coefficient| + q / 2 meets both.
constexpr int kReciprocalBits = 20;

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
        // x + Q/2 for x > 0, x - Q/2 otherwise, then truncated toward zero:
        // the magnitude is (|x| + Q/2) / Q and the sign is x's.
        const int32_t sign = x >> 31;
        const uint32_t magnitude = static_cast<uint32_t>((x ^ sign) - sign) + half[i];
        const int32_t q = static_cast<int32_t>((magnitude * reciprocal[i]) >> kReciprocalBits);
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
        const uint32_t q = table[i];
        m_half[i] = q / 2;
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
