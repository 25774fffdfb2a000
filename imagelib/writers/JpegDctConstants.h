#pragma once
// The constants of the accurate integer forward DCT, shared by the plain
// code and the vector kernels.
#include <cstdint>

namespace corv::dct {

constexpr int kConstBits = 13;
// Extra fraction bits kept between the row and the column pass.
constexpr int kPass1Bits = 2;
constexpr int kCentre = 128;

constexpr int32_t FIX_0_298631336 = 2446;   // FIX(0.298631336)
constexpr int32_t FIX_0_390180644 = 3196;   // FIX(0.390180644)
constexpr int32_t FIX_0_541196100 = 4433;   // FIX(0.541196100)
constexpr int32_t FIX_0_765366865 = 6270;   // FIX(0.765366865)
constexpr int32_t FIX_0_899976223 = 7373;   // FIX(0.899976223)
constexpr int32_t FIX_1_175875602 = 9633;   // FIX(1.175875602)
constexpr int32_t FIX_1_501321110 = 12299;  // FIX(1.501321110)
constexpr int32_t FIX_1_847759065 = 15137;  // FIX(1.847759065)
constexpr int32_t FIX_1_961570560 = 16069;  // FIX(1.961570560)
constexpr int32_t FIX_2_053119869 = 16819;  // FIX(2.053119869)
constexpr int32_t FIX_2_562915447 = 20995;  // FIX(2.562915447)
constexpr int32_t FIX_3_072711026 = 25172;  // FIX(3.072711026)

}  // namespace corv::dct
