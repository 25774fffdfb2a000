#pragma once
// The vector kernels of the JPEG encoder, each only to be called where the
// processor has its instruction set (JpegCpuHas...). Every one gives exactly
// what the plain code gives: JpegForwardDctPlain, CJpegQuantizer::QuantizePlain.
#include "JpegQuantizer.h"

#include <cstdint>

namespace corv {

// One block at a time: the forward DCT, and the quantiser, which gives the
// non-zero flags in natural order (bit i: entry i).
struct JpegBlockKernels {
    void (*forwardDct)(const uint8_t *samples, int stride, int16_t out[64]);
    uint64_t (*quantize)(const CJpegQuantizer::Steps &steps, const int16_t coef[64],
                         int16_t out[64]);
};

extern const JpegBlockKernels kJpegKernelsSse2;
// The SSE2 instructions in their three-operand AVX form, which saves the
// register copies; still 16-byte vectors.
extern const JpegBlockKernels kJpegKernelsAvx;

// Two side-by-side blocks (the second starts 8 samples right of the first)
// transformed and quantised with one component's steps at once; each
// block's natural-order non-zero flags come with it.
void JpegTransformQuantizePairAvx2(const uint8_t *samples, int stride,
                                   const CJpegQuantizer::Steps &steps, int16_t first[64],
                                   uint64_t &firstNonZero, int16_t second[64],
                                   uint64_t &secondNonZero);

// RGB -> YCbCr of the first pixels of a row, 32 at a time, as
// CJpegColorConverter::ConvertRgbPlain does it; returns how many were done.
int JpegConvertRgbAvx2(const uint8_t *pixels, int width, uint8_t *y, uint8_t *cb, uint8_t *cr);

}  // namespace corv
