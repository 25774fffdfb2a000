#include "JpegInverseDct.h"

#include <cmath>

namespace corv {
namespace {

// cos(k pi / 16) * sqrt(2) for k > 0, 1 for k = 0.
constexpr float kAanScale[8] = {1.0f, 1.387039845f, 1.306562965f, 1.175875602f,
                                1.0f, 0.785694958f, 0.541196100f, 0.275899379f};
constexpr float kSqrt2 = 1.414213562f;       // 2 c4
constexpr float k2C2 = 1.847759065f;         // 2 c2
constexpr float k2C2MinusC6 = 1.082392200f;  // 2 (c2 - c6)
constexpr float k2C2PlusC6 = 2.613125930f;   // 2 (c2 + c6)

// One 8-point inverse transform of in[0], in[step], ... into out[0], out[ostep], ...
inline void Transform(const float *in, int step, float *out, int ostep) {
    float t0 = in[0], t1 = in[2 * step], t2 = in[4 * step], t3 = in[6 * step];
    const float t10 = t0 + t2, t11 = t0 - t2;
    const float t13 = t1 + t3;
    const float t12 = (t1 - t3) * kSqrt2 - t13;
    t0 = t10 + t13;
    t3 = t10 - t13;
    t1 = t11 + t12;
    t2 = t11 - t12;

    const float t4 = in[step], t5 = in[3 * step], t6 = in[5 * step], t7 = in[7 * step];
    const float z13 = t6 + t5, z10 = t6 - t5, z11 = t4 + t7, z12 = t4 - t7;
    const float o7 = z11 + z13;
    const float o11 = (z11 - z13) * kSqrt2;
    const float z5 = (z10 + z12) * k2C2;
    const float o10 = k2C2MinusC6 * z12 - z5;
    const float o12 = -k2C2PlusC6 * z10 + z5;
    const float o6 = o12 - o7;
    const float o5 = o11 - o6;
    const float o4 = o10 + o5;

    out[0] = t0 + o7;
    out[7 * ostep] = t0 - o7;
    out[ostep] = t1 + o6;
    out[6 * ostep] = t1 - o6;
    out[2 * ostep] = t2 + o5;
    out[5 * ostep] = t2 - o5;
    out[4 * ostep] = t3 + o4;
    out[3 * ostep] = t3 - o4;
}

}  // namespace

void JpegInverseDctMultipliers(const uint16_t quant[64], float multipliers[64]) {
    // The 1/8 of the two passes is folded in here.
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col)
            multipliers[row * 8 + col] =
                float(quant[row * 8 + col]) * kAanScale[row] * kAanScale[col] / 8.0f;
}

void JpegInverseDct(const int16_t coefficients[64], const float multipliers[64], uint8_t *out,
                    int stride) {
    float in[64], work[64];
    for (int i = 0; i < 64; ++i)
        in[i] = float(coefficients[i]) * multipliers[i];
    for (int col = 0; col < 8; ++col)
        Transform(in + col, 8, work + col, 8);
    for (int row = 0; row < 8; ++row) {
        float samples[8];
        Transform(work + row * 8, 1, samples, 1);
        uint8_t *o = out + row * stride;
        for (int i = 0; i < 8; ++i) {
            const float v = samples[i] + 128.5f;
            o[i] = v <= 0 ? 0 : v >= 255 ? 255 : static_cast<uint8_t>(v);
        }
    }
}

}  // namespace corv
