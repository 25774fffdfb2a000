// Built for AVX (-mavx): the SSE2 kernels in three-operand form.
#include "JpegBlockKernel.h"
#include "JpegKernels.h"

namespace corv {

void JpegForwardDctAvx(const uint8_t *samples, int stride, int16_t out[64]) {
    ForwardDctBlock(samples, stride, out);
}

uint64_t JpegQuantizeAvx(const CJpegQuantizer::Steps &steps, const int16_t coef[64],
                         int16_t out[64]) {
    return QuantizeBlock(steps, coef, out);
}

}  // namespace corv
