// Built for SSE2 (-msse2), which 32-bit processors may lack.
#include "JpegBlockKernel.h"
#include "JpegKernels.h"

namespace corv {

void JpegForwardDctSse2(const uint8_t *samples, int stride, int16_t out[64]) {
    ForwardDctBlock(samples, stride, out);
}

uint64_t JpegQuantizeSse2(const CJpegQuantizer::Steps &steps, const int16_t coef[64],
                          int16_t out[64]) {
    return QuantizeBlock(steps, coef, out);
}

}  // namespace corv
