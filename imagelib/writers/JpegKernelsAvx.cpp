// Built for AVX (-mavx): the SSE2 kernels in three-operand form.
#include "JpegBlockKernel.h"
#include "JpegKernels.h"

namespace corv {

const JpegBlockKernels kJpegKernelsAvx = {ForwardDctBlock, QuantizeBlock};

}  // namespace corv
