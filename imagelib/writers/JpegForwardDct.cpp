#include "JpegForwardDct.h"

#include "JpegDctConstants.h"
#include "JpegKernels.h"
#include "JpegLibrary.h"

namespace corv {
namespace {

using namespace dct;

constexpr int32_t Descale(int32_t x, int n) {
    return (x + (int32_t(1) << (n - 1))) >> n;
}

// One 1-D transform of eight independent lanes: value k of lane i is at
// in[8 * k + i] and its coefficient k goes to out[8 * k + i]. Written over
// lanes so that the compiler can keep all eight in vector registers.
// kEvenShift descales outputs 0 and 4 (negative: scales up), kOddShift all
// the others.
template <int kEvenShift, int kOddShift, int kLevelShift>
[[gnu::always_inline]] inline void Pass(const int32_t *in, int32_t *out) {
    for (int i = 0; i < 8; ++i) {
        const int32_t *d = in + i;
        int32_t *o = out + i;
        const int32_t tmp0 = d[0] + d[56], tmp7 = d[0] - d[56];
        const int32_t tmp1 = d[8] + d[48], tmp6 = d[8] - d[48];
        const int32_t tmp2 = d[16] + d[40], tmp5 = d[16] - d[40];
        const int32_t tmp3 = d[24] + d[32], tmp4 = d[24] - d[32];

        const int32_t tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3;
        const int32_t tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;
        if constexpr (kEvenShift < 0) {
            o[0] = (tmp10 + tmp11 - kLevelShift) * (1 << -kEvenShift);
            o[32] = (tmp10 - tmp11) * (1 << -kEvenShift);
        } else {
            o[0] = Descale(tmp10 + tmp11, kEvenShift);
            o[32] = Descale(tmp10 - tmp11, kEvenShift);
        }
        const int32_t z1 = (tmp12 + tmp13) * FIX_0_541196100;
        o[16] = Descale(z1 + tmp13 * FIX_0_765366865, kOddShift);
        o[48] = Descale(z1 - tmp12 * FIX_1_847759065, kOddShift);

        const int32_t z5 = (tmp4 + tmp6 + tmp5 + tmp7) * FIX_1_175875602;
        const int32_t p4 = tmp4 * FIX_0_298631336, p5 = tmp5 * FIX_2_053119869;
        const int32_t p6 = tmp6 * FIX_3_072711026, p7 = tmp7 * FIX_1_501321110;
        const int32_t q1 = -(tmp4 + tmp7) * FIX_0_899976223;
        const int32_t q2 = -(tmp5 + tmp6) * FIX_2_562915447;
        const int32_t q3 = -(tmp4 + tmp6) * FIX_1_961570560 + z5;
        const int32_t q4 = -(tmp5 + tmp7) * FIX_0_390180644 + z5;
        o[56] = Descale(p4 + q1 + q3, kOddShift);
        o[40] = Descale(p5 + q2 + q4, kOddShift);
        o[24] = Descale(p6 + q2 + q3, kOddShift);
        o[8] = Descale(p7 + q1 + q4, kOddShift);
    }
}

[[gnu::always_inline]] inline void Transpose(const int32_t *in, int32_t *out) {
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            out[x * 8 + y] = in[y * 8 + x];
}

[[gnu::always_inline]] inline void Transform(const uint8_t *samples, int stride, int16_t out[64]) {
    // Rows become lanes for the row pass, then columns for the column pass.
    alignas(32) int32_t a[64], b[64], c[64];
    for (int y = 0; y < 8; ++y, samples += stride)
        for (int x = 0; x < 8; ++x)
            a[x * 8 + y] = samples[x];
    Pass<-kPass1Bits, kConstBits - kPass1Bits, 8 * kCentre>(a, b);
    Transpose(b, a);
    // The output keeps the factor 8 of the unnormalised transform: the
    // quantiser divides it out together with the step, so that the only
    // rounding is the quantiser's.
    Pass<kPass1Bits, kConstBits + kPass1Bits, 0>(a, c);
    for (int i = 0; i < 64; ++i)
        out[i] = static_cast<int16_t>(c[i]);
}

using DctKernel = void (*)(const uint8_t *, int, int16_t *);

}  // namespace

void JpegForwardDctPlain(const uint8_t *samples, int stride, int16_t out[64]) {
    Transform(samples, stride, out);
}

void JpegForwardDct(const uint8_t *samples, int stride, int16_t out[64]) {
    static const DctKernel kernel = JpegCpuHasAvx()    ? kJpegKernelsAvx.forwardDct
                                    : JpegCpuHasSse2() ? kJpegKernelsSse2.forwardDct
                                                       : JpegForwardDctPlain;
    kernel(samples, stride, out);
}

}  // namespace corv
