// Built for AVX2 (-mavx2): two blocks per register, one in each 128-bit
// half. The MinGW build assembles its aligned vector moves as unaligned ones
// (Jpeg.cmake), because that compiler may spill 32-byte registers to stack
// slots it cannot align.
#include "JpegBlockKernel.h"
#include "JpegKernels.h"

namespace corv {

void JpegTransformQuantizePairAvx2(const uint8_t *samples, int stride,
                                   const CJpegQuantizer::Steps &steps, int16_t first[64],
                                   uint64_t &firstNonZero, int16_t second[64],
                                   uint64_t &secondNonZero) {
    __m256i v[8];
    // Sixteen samples of a row: eight of each block, widened half by half.
    for (int y = 0; y < 8; ++y, samples += stride) {
        const __m128i row = _mm_loadu_si128(reinterpret_cast<const __m128i *>(samples));
        v[y] = Sub16(_mm256_cvtepu8_epi16(row), Set16<__m256i>(kCentre));
    }
    ForwardDct(v);
    uint32_t zeroBits[4];
    Quantize(v, steps, zeroBits);
    uint64_t zero[2] = {0, 0};
    for (int k = 0; k < 8; ++k) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(first + 8 * k), _mm256_castsi256_si128(v[k]));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(second + 8 * k),
                         _mm256_extracti128_si256(v[k], 1));
    }
    for (int pair = 0; pair < 4; ++pair) {
        zero[0] |= uint64_t(zeroBits[pair] & 0xFFFF) << (16 * pair);
        zero[1] |= uint64_t(zeroBits[pair] >> 16) << (16 * pair);
    }
    firstNonZero = ~zero[0];
    secondNonZero = ~zero[1];
}

}  // namespace corv
