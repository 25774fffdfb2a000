#pragma once
// The vector kernels of the JPEG encoder, written once over 16-bit lanes
// for SSE2 (one block per register row) and AVX2 (two side-by-side blocks,
// one per 128-bit half). Each kernel file includes this header compiled for
// its instruction set; everything here has internal linkage so that the
// copies never mix. The forward DCT computes exactly the integers of
// JpegForwardDctPlain:
// - samples are level-shifted before the row pass, which changes only the
//   DC sum and changes it by the same 8 x 128 the plain pass subtracts;
// - every product pair a x c1 + b x c2 is formed in 32 bits by one
//   multiply-add after the plain code's sums are distributed over their
//   constants (z1, z5 and the negated sums folded in), so no rounding moves;
// - the 16-bit values that feed products or are kept (tmp0..tmp13, the
//   sums z3 and z4, the outputs of both passes) stay within +-32767 for 8-bit
//   samples: row outputs are at most 4 x 128 x 8 in magnitude, and the
//   column pass's widest values, the DC and u = 4 sums, at most
//   4 x 128 x 64; only the DC sum of a black block reaches it, as -32768.
//   Additions wrap modulo 2^16, so a value that fits is exact whatever its
//   partial sums did.
#include "JpegDctConstants.h"
#include "JpegQuantizer.h"

#include <cstdint>
#include <immintrin.h>

namespace corv {
namespace {

// The lane operations, one overload per register width.
[[gnu::always_inline]] inline __m128i Add16(__m128i a, __m128i b) {
    return _mm_add_epi16(a, b);
}
[[gnu::always_inline]] inline __m128i Sub16(__m128i a, __m128i b) {
    return _mm_sub_epi16(a, b);
}
[[gnu::always_inline]] inline __m128i Add32(__m128i a, __m128i b) {
    return _mm_add_epi32(a, b);
}
[[gnu::always_inline]] inline __m128i Xor(__m128i a, __m128i b) {
    return _mm_xor_si128(a, b);
}
[[gnu::always_inline]] inline __m128i MulAdd16(__m128i a, __m128i b) {
    return _mm_madd_epi16(a, b);
}
[[gnu::always_inline]] inline __m128i MulHighUnsigned16(__m128i a, __m128i b) {
    return _mm_mulhi_epu16(a, b);
}
[[gnu::always_inline]] inline __m128i UnpackLo16(__m128i a, __m128i b) {
    return _mm_unpacklo_epi16(a, b);
}
[[gnu::always_inline]] inline __m128i UnpackHi16(__m128i a, __m128i b) {
    return _mm_unpackhi_epi16(a, b);
}
[[gnu::always_inline]] inline __m128i UnpackLo32(__m128i a, __m128i b) {
    return _mm_unpacklo_epi32(a, b);
}
[[gnu::always_inline]] inline __m128i UnpackHi32(__m128i a, __m128i b) {
    return _mm_unpackhi_epi32(a, b);
}
[[gnu::always_inline]] inline __m128i UnpackLo64(__m128i a, __m128i b) {
    return _mm_unpacklo_epi64(a, b);
}
[[gnu::always_inline]] inline __m128i UnpackHi64(__m128i a, __m128i b) {
    return _mm_unpackhi_epi64(a, b);
}
[[gnu::always_inline]] inline __m128i Pack32(__m128i a, __m128i b) {
    return _mm_packs_epi32(a, b);
}
[[gnu::always_inline]] inline __m128i Pack16(__m128i a, __m128i b) {
    return _mm_packs_epi16(a, b);
}
[[gnu::always_inline]] inline __m128i IsZero16(__m128i a) {
    return _mm_cmpeq_epi16(a, _mm_setzero_si128());
}
[[gnu::always_inline]] inline uint32_t ByteSigns(__m128i a) {
    return static_cast<uint32_t>(_mm_movemask_epi8(a));
}
template <int kShift>
[[gnu::always_inline]] inline __m128i ShiftLeft16(__m128i a) {
    return _mm_slli_epi16(a, kShift);
}
template <int kShift>
[[gnu::always_inline]] inline __m128i ShiftRight16(__m128i a) {
    return _mm_srai_epi16(a, kShift);
}
template <int kShift>
[[gnu::always_inline]] inline __m128i ShiftRight32(__m128i a) {
    return _mm_srai_epi32(a, kShift);
}

template <typename V>
V Set16(int16_t x);
template <typename V>
V Set32(int32_t x);
template <typename V>
V LoadSteps(const uint16_t *steps);
template <>
[[gnu::always_inline]] inline __m128i Set16<__m128i>(int16_t x) {
    return _mm_set1_epi16(x);
}
template <>
[[gnu::always_inline]] inline __m128i Set32<__m128i>(int32_t x) {
    return _mm_set1_epi32(x);
}
template <>
[[gnu::always_inline]] inline __m128i LoadSteps<__m128i>(const uint16_t *steps) {
    return _mm_load_si128(reinterpret_cast<const __m128i *>(steps));
}

#ifdef __AVX2__
// Each 128-bit half works on its own block, as the unpack and pack
// instructions do.
[[gnu::always_inline]] inline __m256i Add16(__m256i a, __m256i b) {
    return _mm256_add_epi16(a, b);
}
[[gnu::always_inline]] inline __m256i Sub16(__m256i a, __m256i b) {
    return _mm256_sub_epi16(a, b);
}
[[gnu::always_inline]] inline __m256i Add32(__m256i a, __m256i b) {
    return _mm256_add_epi32(a, b);
}
[[gnu::always_inline]] inline __m256i Xor(__m256i a, __m256i b) {
    return _mm256_xor_si256(a, b);
}
[[gnu::always_inline]] inline __m256i MulAdd16(__m256i a, __m256i b) {
    return _mm256_madd_epi16(a, b);
}
[[gnu::always_inline]] inline __m256i MulHighUnsigned16(__m256i a, __m256i b) {
    return _mm256_mulhi_epu16(a, b);
}
[[gnu::always_inline]] inline __m256i UnpackLo16(__m256i a, __m256i b) {
    return _mm256_unpacklo_epi16(a, b);
}
[[gnu::always_inline]] inline __m256i UnpackHi16(__m256i a, __m256i b) {
    return _mm256_unpackhi_epi16(a, b);
}
[[gnu::always_inline]] inline __m256i UnpackLo32(__m256i a, __m256i b) {
    return _mm256_unpacklo_epi32(a, b);
}
[[gnu::always_inline]] inline __m256i UnpackHi32(__m256i a, __m256i b) {
    return _mm256_unpackhi_epi32(a, b);
}
[[gnu::always_inline]] inline __m256i UnpackLo64(__m256i a, __m256i b) {
    return _mm256_unpacklo_epi64(a, b);
}
[[gnu::always_inline]] inline __m256i UnpackHi64(__m256i a, __m256i b) {
    return _mm256_unpackhi_epi64(a, b);
}
[[gnu::always_inline]] inline __m256i Pack32(__m256i a, __m256i b) {
    return _mm256_packs_epi32(a, b);
}
[[gnu::always_inline]] inline __m256i Pack16(__m256i a, __m256i b) {
    return _mm256_packs_epi16(a, b);
}
[[gnu::always_inline]] inline __m256i IsZero16(__m256i a) {
    return _mm256_cmpeq_epi16(a, _mm256_setzero_si256());
}
[[gnu::always_inline]] inline uint32_t ByteSigns(__m256i a) {
    return static_cast<uint32_t>(_mm256_movemask_epi8(a));
}
template <int kShift>
[[gnu::always_inline]] inline __m256i ShiftLeft16(__m256i a) {
    return _mm256_slli_epi16(a, kShift);
}
template <int kShift>
[[gnu::always_inline]] inline __m256i ShiftRight16(__m256i a) {
    return _mm256_srai_epi16(a, kShift);
}
template <int kShift>
[[gnu::always_inline]] inline __m256i ShiftRight32(__m256i a) {
    return _mm256_srai_epi32(a, kShift);
}
template <>
[[gnu::always_inline]] inline __m256i Set16<__m256i>(int16_t x) {
    return _mm256_set1_epi16(x);
}
template <>
[[gnu::always_inline]] inline __m256i Set32<__m256i>(int32_t x) {
    return _mm256_set1_epi32(x);
}
// Both blocks share the component's steps.
template <>
[[gnu::always_inline]] inline __m256i LoadSteps<__m256i>(const uint16_t *steps) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(steps)));
}
#endif

using namespace dct;

// The 32-bit results of a register's 16-bit lanes: the low and the high four
// of every eight.
template <typename V>
struct Wide {
    V lo, hi;
};

// Constant pair (ca, cb) for MulAdd, as one 32-bit lane pattern.
constexpr int32_t Pair(int ca, int cb) {
    return static_cast<int32_t>((static_cast<uint32_t>(cb) << 16) |
                                (static_cast<uint32_t>(ca) & 0xFFFFu));
}

// a x ca + b x cb per lane, in 32 bits.
template <typename V>
[[gnu::always_inline]] inline Wide<V> MulAdd(V a, V b, int32_t pair) {
    const V k = Set32<V>(pair);
    return {MulAdd16(UnpackLo16(a, b), k), MulAdd16(UnpackHi16(a, b), k)};
}

template <typename V>
[[gnu::always_inline]] inline Wide<V> Add(Wide<V> x, Wide<V> y) {
    return {Add32(x.lo, y.lo), Add32(x.hi, y.hi)};
}

template <int kShift, typename V>
[[gnu::always_inline]] inline Wide<V> Descale(Wide<V> x) {
    const V half = Set32<V>(1 << (kShift - 1));
    return {ShiftRight32<kShift>(Add32(x.lo, half)), ShiftRight32<kShift>(Add32(x.hi, half))};
}

template <typename V>
[[gnu::always_inline]] inline V Narrow(Wide<V> x) {
    return Pack32(x.lo, x.hi);
}

// One 1-D transform of eight lanes: d[k] holds value k of every lane;
// coefficient k of every lane comes out in out[k]. kEvenShift descales
// outputs 0 and 4 (negative: scales up), kOddShift all the others.
template <int kEvenShift, int kOddShift, typename V>
[[gnu::always_inline]] inline void Pass(const V d[8], V out[8]) {
    const V tmp0 = Add16(d[0], d[7]), tmp7 = Sub16(d[0], d[7]);
    const V tmp1 = Add16(d[1], d[6]), tmp6 = Sub16(d[1], d[6]);
    const V tmp2 = Add16(d[2], d[5]), tmp5 = Sub16(d[2], d[5]);
    const V tmp3 = Add16(d[3], d[4]), tmp4 = Sub16(d[3], d[4]);

    const V tmp10 = Add16(tmp0, tmp3), tmp13 = Sub16(tmp0, tmp3);
    const V tmp11 = Add16(tmp1, tmp2), tmp12 = Sub16(tmp1, tmp2);
    const V sum = Add16(tmp10, tmp11), difference = Sub16(tmp10, tmp11);
    if constexpr (kEvenShift < 0) {
        out[0] = ShiftLeft16<-kEvenShift>(sum);
        out[4] = ShiftLeft16<-kEvenShift>(difference);
    } else {
        const V half = Set16<V>(1 << (kEvenShift - 1));
        out[0] = ShiftRight16<kEvenShift>(Add16(sum, half));
        out[4] = ShiftRight16<kEvenShift>(Add16(difference, half));
    }
    // z1 = (tmp12 + tmp13) c541 shared by outputs 2 and 6.
    out[2] = Narrow(Descale<kOddShift>(
        MulAdd(tmp13, tmp12, Pair(FIX_0_541196100 + FIX_0_765366865, FIX_0_541196100))));
    out[6] = Narrow(Descale<kOddShift>(
        MulAdd(tmp13, tmp12, Pair(FIX_0_541196100, FIX_0_541196100 - FIX_1_847759065))));

    // q3 = -(tmp4 + tmp6) c1961 + z5 and q4 = -(tmp5 + tmp7) c390 + z5 with
    // z5 = (z3 + z4) c1175, z3 = tmp4 + tmp6, z4 = tmp5 + tmp7.
    const V z3 = Add16(tmp4, tmp6), z4 = Add16(tmp5, tmp7);
    const Wide<V> q3 = MulAdd(z3, z4, Pair(FIX_1_175875602 - FIX_1_961570560, FIX_1_175875602));
    const Wide<V> q4 = MulAdd(z3, z4, Pair(FIX_1_175875602, FIX_1_175875602 - FIX_0_390180644));
    // tmp4 c298 - (tmp4 + tmp7) c899 and tmp7 c1501 - (tmp4 + tmp7) c899.
    const Wide<V> p47 =
        MulAdd(tmp4, tmp7, Pair(FIX_0_298631336 - FIX_0_899976223, -FIX_0_899976223));
    const Wide<V> p74 =
        MulAdd(tmp4, tmp7, Pair(-FIX_0_899976223, FIX_1_501321110 - FIX_0_899976223));
    // tmp5 c2053 - (tmp5 + tmp6) c2562 and tmp6 c3072 - (tmp5 + tmp6) c2562.
    const Wide<V> p56 =
        MulAdd(tmp5, tmp6, Pair(FIX_2_053119869 - FIX_2_562915447, -FIX_2_562915447));
    const Wide<V> p65 =
        MulAdd(tmp5, tmp6, Pair(-FIX_2_562915447, FIX_3_072711026 - FIX_2_562915447));
    out[7] = Narrow(Descale<kOddShift>(Add(p47, q3)));
    out[5] = Narrow(Descale<kOddShift>(Add(p56, q4)));
    out[3] = Narrow(Descale<kOddShift>(Add(p65, q3)));
    out[1] = Narrow(Descale<kOddShift>(Add(p74, q4)));
}

template <typename V>
[[gnu::always_inline]] inline void Transpose(V r[8]) {
    const V a0 = UnpackLo16(r[0], r[1]), a1 = UnpackHi16(r[0], r[1]);
    const V a2 = UnpackLo16(r[2], r[3]), a3 = UnpackHi16(r[2], r[3]);
    const V a4 = UnpackLo16(r[4], r[5]), a5 = UnpackHi16(r[4], r[5]);
    const V a6 = UnpackLo16(r[6], r[7]), a7 = UnpackHi16(r[6], r[7]);
    const V b0 = UnpackLo32(a0, a2), b1 = UnpackHi32(a0, a2);
    const V b2 = UnpackLo32(a1, a3), b3 = UnpackHi32(a1, a3);
    const V b4 = UnpackLo32(a4, a6), b5 = UnpackHi32(a4, a6);
    const V b6 = UnpackLo32(a5, a7), b7 = UnpackHi32(a5, a7);
    r[0] = UnpackLo64(b0, b4);
    r[1] = UnpackHi64(b0, b4);
    r[2] = UnpackLo64(b1, b5);
    r[3] = UnpackHi64(b1, b5);
    r[4] = UnpackLo64(b2, b6);
    r[5] = UnpackHi64(b2, b6);
    r[6] = UnpackLo64(b3, b7);
    r[7] = UnpackHi64(b3, b7);
}

// The coefficients of the level-shifted sample rows in v (lane x of v[y]
// is sample x of row y), eight times their true size, row v of the
// coefficients in v[v].
template <typename V>
[[gnu::always_inline]] inline void ForwardDct(V v[8]) {
    // Columns become the lanes of the row pass, whose outputs (one register
    // per coefficient, one lane per row) are turned back for the column pass.
    Transpose(v);
    V rows[8];
    Pass<-kPass1Bits, kConstBits - kPass1Bits>(v, rows);
    Transpose(rows);
    Pass<kPass1Bits, kConstBits + kPass1Bits>(rows, v);
}

// Quantises coefficient rows c[0..7] with the step rows of `steps` in
// place. zeroBits[p] flags the zero entries of rows 2p and 2p + 1: bit i
// for entry i of the pair, sixteen bits per 128-bit lane.
template <typename V>
[[gnu::always_inline]] inline void Quantize(V c[8], const CJpegQuantizer::Steps &steps,
                                            uint32_t zeroBits[4]) {
    for (int pair = 0; pair < 4; ++pair) {
        V isZero[2];
        for (int half = 0; half < 2; ++half) {
            const int row = 2 * pair + half, at = 8 * row;
            const V x = c[row];
            const V sign = ShiftRight16<15>(x);
            // |x| + d/2, then (n + n r' / 2^16) / 2^s (see SetTable).
            const V n = Add16(Sub16(Xor(x, sign), sign), LoadSteps<V>(steps.half + at));
            const V t = Add16(MulHighUnsigned16(n, LoadSteps<V>(steps.reciprocal + at)), n);
            const V q = MulHighUnsigned16(t, LoadSteps<V>(steps.shift + at));
            c[row] = Sub16(Xor(q, sign), sign);
            isZero[half] = IsZero16(q);
        }
        zeroBits[pair] = ByteSigns(Pack16(isZero[0], isZero[1]));
    }
}

// One block: rows of 8 samples `stride` apart, level-shifted.
[[gnu::always_inline]] inline void LoadBlock(const uint8_t *samples, int stride, __m128i v[8]) {
    for (int y = 0; y < 8; ++y, samples += stride) {
        const __m128i row = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(samples));
        v[y] = Sub16(_mm_unpacklo_epi8(row, _mm_setzero_si128()), Set16<__m128i>(kCentre));
    }
}

[[gnu::always_inline]] inline void LoadRows(const int16_t block[64], __m128i v[8]) {
    for (int k = 0; k < 8; ++k)
        v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 8 * k));
}

[[gnu::always_inline]] inline void StoreRows(const __m128i v[8], int16_t block[64]) {
    for (int k = 0; k < 8; ++k)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(block + 8 * k), v[k]);
}

// The whole-block kernels the kernel files publish.
inline void ForwardDctBlock(const uint8_t *samples, int stride, int16_t out[64]) {
    __m128i v[8];
    LoadBlock(samples, stride, v);
    ForwardDct(v);
    StoreRows(v, out);
}

// The non-zero flags of the quantised block in natural order.
inline uint64_t QuantizeBlock(const CJpegQuantizer::Steps &steps, const int16_t coef[64],
                              int16_t out[64]) {
    __m128i v[8];
    LoadRows(coef, v);
    uint32_t zeroBits[4];
    Quantize(v, steps, zeroBits);
    StoreRows(v, out);
    uint64_t zero = 0;
    for (int pair = 0; pair < 4; ++pair)
        zero |= uint64_t(zeroBits[pair]) << (16 * pair);
    return ~zero;
}

}  // namespace
}  // namespace corv
