// Built for AVX2 (-mavx2): two blocks per register, one in each 128-bit
// half. The MinGW build assembles its aligned vector moves as unaligned ones
// (Jpeg.cmake), because that compiler may spill 32-byte registers to stack
// slots it cannot align.
#include "JpegBlockKernel.h"
#include "JpegKernels.h"
#include "JpegLibrary.h"

namespace corv {
namespace {

constexpr int kGroupPixels = 32;

// Byte shuffles that pick one colour's bytes of 16 RGB pixels (48 bytes in
// three 16-byte parts) out of each part; the other places stay zero. Both
// 128-bit halves of a register hold the same pattern.
struct RgbPicks {
    alignas(32) int8_t pick[3][3][32];  // [colour][part][byte]
};

constexpr RgbPicks MakeRgbPicks() {
    RgbPicks t{};
    for (int colour = 0; colour < 3; ++colour)
        for (int part = 0; part < 3; ++part)
            for (int i = 0; i < 32; ++i) {
                const int at = 3 * (i % 16) + colour;
                t.pick[colour][part][i] = at / 16 == part ? static_cast<int8_t>(at % 16) : -128;
            }
    return t;
}

constexpr RgbPicks kRgbPicks = MakeRgbPicks();

[[gnu::always_inline]] inline __m256i Pick(const __m256i parts[3], int colour) {
    const auto mask = [colour](int part) {
        return _mm256_load_si256(reinterpret_cast<const __m256i *>(kRgbPicks.pick[colour][part]));
    };
    return _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(parts[0], mask(0)),
                                           _mm256_shuffle_epi8(parts[1], mask(1))),
                           _mm256_shuffle_epi8(parts[2], mask(2)));
}

// (a x ca + b x cb + c x cc + d x cd + offset) >> 16 per pixel, from the
// 16-bit pixel values of one half: the pairs (a, b) and (c, d) are multiplied
// and added in 32 bits, and the result narrowed back to 16 bits.
[[gnu::always_inline]] inline __m256i Weigh(__m256i a, __m256i b, int32_t ab, __m256i c, __m256i d,
                                            int32_t cd, int32_t offset) {
    const __m256i kab = _mm256_set1_epi32(ab), kcd = _mm256_set1_epi32(cd);
    const __m256i k = _mm256_set1_epi32(offset);
    const __m256i lo =
        _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), kab),
                                          _mm256_madd_epi16(_mm256_unpacklo_epi16(c, d), kcd)),
                         k);
    const __m256i hi =
        _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), kab),
                                          _mm256_madd_epi16(_mm256_unpackhi_epi16(c, d), kcd)),
                         k);
    return _mm256_packs_epi32(_mm256_srai_epi32(lo, 16), _mm256_srai_epi32(hi, 16));
}

}  // namespace

int JpegConvertRgbAvx2(const uint8_t *pixels, int width, uint8_t *y, uint8_t *cb, uint8_t *cr) {
    // The 16.16 weights split so that each fits 16 bits: G's Y weight as
    // 22086 + 16384, and the weight 32768 of B in Cb and of R in Cr as
    // 16384 twice; the sums are the plain code's integers.
    constexpr int32_t kYFromRG = Pair(FIX_0_29900, FIX_0_58700 - 16384);
    constexpr int32_t kYFromBG = Pair(FIX_0_11400, 16384);
    constexpr int32_t kCbFromRG = Pair(-FIX_0_16874, -FIX_0_33126);
    constexpr int32_t kHalfTwice = Pair(FIX_0_50000 / 2, FIX_0_50000 / 2);
    constexpr int32_t kCrFromGB = Pair(-FIX_0_41869, -FIX_0_08131);
    const __m256i zero = _mm256_setzero_si256();
    const int groups = width / kGroupPixels;
    for (int g = 0; g < groups; ++g, pixels += 3 * kGroupPixels) {
        // Pixels 0..15 of the group in the low halves, 16..31 in the high.
        __m256i parts[3];
        for (int part = 0; part < 3; ++part)
            parts[part] =
                _mm256_loadu2_m128i(reinterpret_cast<const __m128i *>(pixels + 48 + 16 * part),
                                    reinterpret_cast<const __m128i *>(pixels + 16 * part));
        const __m256i r8 = Pick(parts, 0), g8 = Pick(parts, 1), b8 = Pick(parts, 2);
        __m256i out[3][2];
        for (int half = 0; half < 2; ++half) {
            const auto widen = [&](__m256i x) {
                return half ? _mm256_unpackhi_epi8(x, zero) : _mm256_unpacklo_epi8(x, zero);
            };
            const __m256i r = widen(r8), gr = widen(g8), b = widen(b8);
            out[0][half] = Weigh(r, gr, kYFromRG, b, gr, kYFromBG, kColourHalf);
            out[1][half] = Weigh(r, gr, kCbFromRG, b, b, kHalfTwice, kColourCentreRounded);
            out[2][half] = Weigh(r, r, kHalfTwice, gr, b, kCrFromGB, kColourCentreRounded);
        }
        uint8_t *planes[3] = {y, cb, cr};
        for (int c = 0; c < 3; ++c)
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(planes[c] + g * kGroupPixels),
                                _mm256_packus_epi16(out[c][0], out[c][1]));
    }
    return groups * kGroupPixels;
}

void JpegTransformQuantizePairAvx2(const uint8_t *samples, int stride,
                                   const CJpegQuantizer::Steps &steps, int16_t first[64],
                                   uint64_t &firstNonZero, int16_t second[64],
                                   uint64_t &secondNonZero) {
    __m256i v[8];
    // Sixteen samples of a row: eight of each block, widened half by half.
    for (int y = 0; y < 8; ++y, samples += stride) {
        const __m128i row = _mm_loadu_si128(reinterpret_cast<const __m128i *>(samples));
        v[y] = Sub16(_mm256_cvtepu8_epi16(row), Set16<__m256i>(kCentre));
    }
    ForwardDct(v);
    uint32_t zeroBits[4];
    Quantize(v, steps, zeroBits);
    uint64_t zero[2] = {0, 0};
    for (int k = 0; k < 8; ++k) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(first + 8 * k), _mm256_castsi256_si128(v[k]));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(second + 8 * k),
                         _mm256_extracti128_si256(v[k], 1));
    }
    for (int pair = 0; pair < 4; ++pair) {
        zero[0] |= uint64_t(zeroBits[pair] & 0xFFFF) << (16 * pair);
        zero[1] |= uint64_t(zeroBits[pair] >> 16) << (16 * pair);
    }
    firstNonZero = ~zero[0];
    secondNonZero = ~zero[1];
}

}  // namespace corv
