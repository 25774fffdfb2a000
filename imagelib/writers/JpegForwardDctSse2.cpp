// The accurate integer forward DCT on SSE2, eight 16-bit lanes per register.
// It computes exactly the integers of JpegForwardDctPlain:
// - samples are level-shifted before the row pass, which changes only the
//   DC sum and changes it by the same 8 x 128 the plain pass subtracts;
// - every product pair a x c1 + b x c2 is formed in 32 bits by one
//   multiply-add after the plain code's sums are distributed over their
//   constants (z1, z5 and the negated sums folded in), so no rounding moves;
// - the 16-bit values that feed products or are kept (tmp0..tmp13, the
//   sums z3 and z4, the outputs of both passes) stay within +-32767 for 8-bit
//   samples: row outputs are at most 4 x 128 x 8, and the column pass's
//   widest value, a DC or u = 4 sum, is at most 4 x 128 x 64 - 128 in
//   magnitude. Additions wrap modulo 2^16, so a value that fits is exact
//   whatever its partial sums did.
#include "JpegForwardDct.h"

#include <emmintrin.h>

namespace corv {
namespace {

constexpr int kConstBits = 13;
constexpr int kPass1Bits = 2;
constexpr int kCentre = 128;

constexpr int16_t FIX_0_298631336 = 2446;   // FIX(0.298631336)
constexpr int16_t FIX_0_390180644 = 3196;   // FIX(0.390180644)
constexpr int16_t FIX_0_541196100 = 4433;   // FIX(0.541196100)
constexpr int16_t FIX_0_765366865 = 6270;   // FIX(0.765366865)
constexpr int16_t FIX_0_899976223 = 7373;   // FIX(0.899976223)
constexpr int16_t FIX_1_175875602 = 9633;   // FIX(1.175875602)
constexpr int16_t FIX_1_501321110 = 12299;  // FIX(1.501321110)
constexpr int16_t FIX_1_847759065 = 15137;  // FIX(1.847759065)
constexpr int16_t FIX_1_961570560 = 16069;  // FIX(1.961570560)
constexpr int16_t FIX_2_053119869 = 16819;  // FIX(2.053119869)
constexpr int16_t FIX_2_562915447 = 20995;  // FIX(2.562915447)
constexpr int16_t FIX_3_072711026 = 25172;  // FIX(3.072711026)

// The 32-bit results of eight lanes: lanes 0..3 and 4..7.
struct Wide {
    __m128i lo, hi;
};

// Constant pair (ca, cb) for MulAdd, as one 32-bit lane pattern.
constexpr int32_t Pair(int ca, int cb) {
    return static_cast<int32_t>((static_cast<uint32_t>(cb) << 16) |
                                (static_cast<uint32_t>(ca) & 0xFFFFu));
}

// a x ca + b x cb per lane, in 32 bits.
[[gnu::target("sse2"), gnu::always_inline]] inline Wide MulAdd(__m128i a, __m128i b, int32_t pair) {
    const __m128i k = _mm_set1_epi32(pair);
    return {_mm_madd_epi16(_mm_unpacklo_epi16(a, b), k),
            _mm_madd_epi16(_mm_unpackhi_epi16(a, b), k)};
}

[[gnu::target("sse2"), gnu::always_inline]] inline Wide Add(Wide x, Wide y) {
    return {_mm_add_epi32(x.lo, y.lo), _mm_add_epi32(x.hi, y.hi)};
}

template <int kShift>
[[gnu::target("sse2"), gnu::always_inline]] inline Wide Descale(Wide x) {
    const __m128i half = _mm_set1_epi32(1 << (kShift - 1));
    return {_mm_srai_epi32(_mm_add_epi32(x.lo, half), kShift),
            _mm_srai_epi32(_mm_add_epi32(x.hi, half), kShift)};
}

[[gnu::target("sse2"), gnu::always_inline]] inline __m128i Narrow(Wide x) {
    return _mm_packs_epi32(x.lo, x.hi);
}

// One 1-D transform of eight lanes: d[k] holds value k of every lane;
// coefficient k of every lane comes out in out[k]. kEvenShift descales
// outputs 0 and 4 (negative: scales up), kOddShift all the others.
template <int kEvenShift, int kOddShift>
[[gnu::target("sse2"), gnu::always_inline]] inline void Pass(const __m128i d[8], __m128i out[8]) {
    const __m128i tmp0 = _mm_add_epi16(d[0], d[7]), tmp7 = _mm_sub_epi16(d[0], d[7]);
    const __m128i tmp1 = _mm_add_epi16(d[1], d[6]), tmp6 = _mm_sub_epi16(d[1], d[6]);
    const __m128i tmp2 = _mm_add_epi16(d[2], d[5]), tmp5 = _mm_sub_epi16(d[2], d[5]);
    const __m128i tmp3 = _mm_add_epi16(d[3], d[4]), tmp4 = _mm_sub_epi16(d[3], d[4]);

    const __m128i tmp10 = _mm_add_epi16(tmp0, tmp3), tmp13 = _mm_sub_epi16(tmp0, tmp3);
    const __m128i tmp11 = _mm_add_epi16(tmp1, tmp2), tmp12 = _mm_sub_epi16(tmp1, tmp2);
    const __m128i sum = _mm_add_epi16(tmp10, tmp11), difference = _mm_sub_epi16(tmp10, tmp11);
    if constexpr (kEvenShift < 0) {
        out[0] = _mm_slli_epi16(sum, -kEvenShift);
        out[4] = _mm_slli_epi16(difference, -kEvenShift);
    } else {
        const __m128i half = _mm_set1_epi16(1 << (kEvenShift - 1));
        out[0] = _mm_srai_epi16(_mm_add_epi16(sum, half), kEvenShift);
        out[4] = _mm_srai_epi16(_mm_add_epi16(difference, half), kEvenShift);
    }
    // z1 = (tmp12 + tmp13) c541 shared by outputs 2 and 6.
    out[2] = Narrow(Descale<kOddShift>(
        MulAdd(tmp13, tmp12, Pair(FIX_0_541196100 + FIX_0_765366865, FIX_0_541196100))));
    out[6] = Narrow(Descale<kOddShift>(
        MulAdd(tmp13, tmp12, Pair(FIX_0_541196100, FIX_0_541196100 - FIX_1_847759065))));

    // q3 = -(tmp4 + tmp6) c1961 + z5 and q4 = -(tmp5 + tmp7) c390 + z5 with
    // z5 = (z3 + z4) c1175, z3 = tmp4 + tmp6, z4 = tmp5 + tmp7.
    const __m128i z3 = _mm_add_epi16(tmp4, tmp6), z4 = _mm_add_epi16(tmp5, tmp7);
    const Wide q3 = MulAdd(z3, z4, Pair(FIX_1_175875602 - FIX_1_961570560, FIX_1_175875602));
    const Wide q4 = MulAdd(z3, z4, Pair(FIX_1_175875602, FIX_1_175875602 - FIX_0_390180644));
    // tmp4 c298 - (tmp4 + tmp7) c899 and tmp7 c1501 - (tmp4 + tmp7) c899.
    const Wide p47 = MulAdd(tmp4, tmp7, Pair(FIX_0_298631336 - FIX_0_899976223, -FIX_0_899976223));
    const Wide p74 = MulAdd(tmp4, tmp7, Pair(-FIX_0_899976223, FIX_1_501321110 - FIX_0_899976223));
    // tmp5 c2053 - (tmp5 + tmp6) c2562 and tmp6 c3072 - (tmp5 + tmp6) c2562.
    const Wide p56 = MulAdd(tmp5, tmp6, Pair(FIX_2_053119869 - FIX_2_562915447, -FIX_2_562915447));
    const Wide p65 = MulAdd(tmp5, tmp6, Pair(-FIX_2_562915447, FIX_3_072711026 - FIX_2_562915447));
    out[7] = Narrow(Descale<kOddShift>(Add(p47, q3)));
    out[5] = Narrow(Descale<kOddShift>(Add(p56, q4)));
    out[3] = Narrow(Descale<kOddShift>(Add(p65, q3)));
    out[1] = Narrow(Descale<kOddShift>(Add(p74, q4)));
}

[[gnu::target("sse2"), gnu::always_inline]] inline void Transpose(__m128i r[8]) {
    const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
    const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
    const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
    const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    r[0] = _mm_unpacklo_epi64(b0, b4);
    r[1] = _mm_unpackhi_epi64(b0, b4);
    r[2] = _mm_unpacklo_epi64(b1, b5);
    r[3] = _mm_unpackhi_epi64(b1, b5);
    r[4] = _mm_unpacklo_epi64(b2, b6);
    r[5] = _mm_unpackhi_epi64(b2, b6);
    r[6] = _mm_unpacklo_epi64(b3, b7);
    r[7] = _mm_unpackhi_epi64(b3, b7);
}

[[gnu::target("sse2"), gnu::always_inline]] inline void Transform(const uint8_t *samples,
                                                                  int stride, int16_t out[64]) {
    const __m128i zero = _mm_setzero_si128(), centre = _mm_set1_epi16(kCentre);
    __m128i v[8];
    for (int y = 0; y < 8; ++y, samples += stride) {
        const __m128i row = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(samples));
        v[y] = _mm_sub_epi16(_mm_unpacklo_epi8(row, zero), centre);
    }
    // Columns become the lanes of the row pass, whose outputs (one register
    // per coefficient, one lane per row) are turned back for the column pass.
    Transpose(v);
    __m128i rows[8];
    Pass<-kPass1Bits, kConstBits - kPass1Bits>(v, rows);
    Transpose(rows);
    Pass<kPass1Bits, kConstBits + kPass1Bits>(rows, v);
    for (int k = 0; k < 8; ++k)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8 * k), v[k]);
}

}  // namespace

[[gnu::target("sse2")]] void JpegForwardDctSse2(const uint8_t *samples, int stride,
                                                int16_t out[64]) {
    Transform(samples, stride, out);
}

// The same instructions in their three-operand AVX form, which saves the
// register copies; still 16-byte vectors.
[[gnu::target("avx")]] void JpegForwardDctAvx(const uint8_t *samples, int stride, int16_t out[64]) {
    Transform(samples, stride, out);
}

}  // namespace corv
