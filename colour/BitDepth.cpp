#include "BitDepth.h"

#include <array>

namespace corvcolor {
namespace {

// Entry i is the integer part of 0.5 + i * 0.062271062 (255/4095 to nine
// places); no entry falls on an exact half, so this is round(i * 255 / 4095).
constexpr std::array<uint8_t, kMax12 + 1> MakeTo8Table() {
    std::array<uint8_t, kMax12 + 1> t{};
    for (int i = 0; i <= kMax12; ++i)
        t[i] = static_cast<uint8_t>(0.5 + i * 0.062271062);
    return t;
}

constexpr std::array<uint8_t, kMax12 + 1> kTo8 = MakeTo8Table();

}  // namespace

uint8_t To8(uint16_t v) {
    return kTo8[v & 0x0FFF];
}

}  // namespace corvcolor
