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

// The 8-point inverse transform of eight lanes at once: in[k * 8 + lane] is
// coefficient k of a lane, out[n * 8 + lane] its sample n. Written lane by
// lane so that the compiler can keep the lanes in vector registers.
inline void TransformLanes(const float *in, float *out) {
    for (int lane = 0; lane < 8; ++lane) {
        float t0 = in[lane], t1 = in[16 + lane], t2 = in[32 + lane], t3 = in[48 + lane];
        const float t10 = t0 + t2, t11 = t0 - t2;
        const float t13 = t1 + t3;
        const float t12 = (t1 - t3) * kSqrt2 - t13;
        t0 = t10 + t13;
        t3 = t10 - t13;
        t1 = t11 + t12;
        t2 = t11 - t12;

        const float t4 = in[8 + lane], t5 = in[24 + lane], t6 = in[40 + lane], t7 = in[56 + lane];
        const float z13 = t6 + t5, z10 = t6 - t5, z11 = t4 + t7, z12 = t4 - t7;
        const float o7 = z11 + z13;
        const float o11 = (z11 - z13) * kSqrt2;
        const float z5 = (z10 + z12) * k2C2;
        const float o10 = k2C2MinusC6 * z12 - z5;
        const float o12 = -k2C2PlusC6 * z10 + z5;
        const float o6 = o12 - o7;
        const float o5 = o11 - o6;
        const float o4 = o10 + o5;

        out[lane] = t0 + o7;
        out[56 + lane] = t0 - o7;
        out[8 + lane] = t1 + o6;
        out[48 + lane] = t1 - o6;
        out[16 + lane] = t2 + o5;
        out[40 + lane] = t2 - o5;
        out[32 + lane] = t3 + o4;
        out[24 + lane] = t3 - o4;
    }
}

inline void Transpose(const float *in, float *out) {
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            out[c * 8 + r] = in[r * 8 + c];
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
    float in[64], work[64], turned[64], samples[64];
    for (int i = 0; i < 64; ++i)
        in[i] = float(coefficients[i]) * multipliers[i];
    // Columns first (each column a lane), then the rows the same way.
    TransformLanes(in, work);
    Transpose(work, turned);
    TransformLanes(turned, samples);
    for (int row = 0; row < 8; ++row) {
        uint8_t *o = out + row * stride;
        for (int col = 0; col < 8; ++col) {
            const float v = samples[col * 8 + row] + 128.5f;
            o[col] = v <= 0 ? 0 : v >= 255 ? 255 : static_cast<uint8_t>(v);
        }
    }
}

}  // namespace corv
