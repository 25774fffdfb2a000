#pragma once
// The inverse DCT of the JPEG decoder: the float form of the Arai, Agui and
// Nakajima factorisation, with the dequantisation and the AAN scale
// factors folded into one multiplier table per quantisation table.
#include <cstdint>

namespace corv {

// `multipliers` (natural order) from a quantisation table (natural order).
void JpegInverseDctMultipliers(const uint16_t quant[64], float multipliers[64]);

// `coefficients` (natural order, not yet dequantised) to 8 x 8 samples,
// level-shifted and clamped, rows `stride` apart.
void JpegInverseDct(const int16_t coefficients[64], const float multipliers[64], uint8_t *out,
                    int stride);

}  // namespace corv
