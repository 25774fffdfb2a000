#pragma once
// The accurate integer forward DCT (Loeffler-Ligtenberg-Moschytz with 13-bit
// constants), level shift included, producing coefficients at true scale.
#include <cstdint>

namespace corv {

// `samples` points at the top-left sample of an 8x8 block whose rows are
// `stride` bytes apart; `out` receives 64 coefficients in natural order,
// eight times their true size (at most 8 x 1024 + 4 in magnitude, so
// 16 bits hold them).
// Uses the fastest kernel the processor runs (chosen at the first call);
// every kernel gives the same coefficients as the plain one.
void JpegForwardDct(const uint8_t *samples, int stride, int16_t out[64]);
void JpegForwardDctPlain(const uint8_t *samples, int stride, int16_t out[64]);

}  // namespace corv
