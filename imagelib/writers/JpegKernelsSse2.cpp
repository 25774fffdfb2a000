// Built for SSE2 (-msse2), which 32-bit processors may lack.
#include "JpegBlockKernel.h"
#include "JpegKernels.h"

namespace corv {

const JpegBlockKernels kJpegKernelsSse2 = {ForwardDctBlock, QuantizeBlock};

}  // namespace corv
