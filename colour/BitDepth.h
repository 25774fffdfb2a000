#pragma once

#include <cstdint>

// Conversions between the 8-bit image samples and the 12-bit working format.
namespace corvcolor {

constexpr int kMax12 = 4095;

constexpr uint16_t To12(uint8_t v) {
    return static_cast<uint16_t>((v * kMax12 + 127) / 255);
}

// 12 to 8 bits through the 4096-entry table built once at compile time.
uint8_t To8(uint16_t v);

// Curve table entries above the 12-bit range count as white, so a caller's
// table can never push a value past the end of the later tables.
constexpr uint16_t ApplyCurve(const uint16_t *curve, uint16_t v) {
    return curve[v] > kMax12 ? static_cast<uint16_t>(kMax12) : curve[v];
}

}  // namespace corvcolor
