// The eyedropper: 7 x 7 average of the samples inside the image.
#include "PreviewBlock.h"
#include "corvcolor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using colourtest::NoiseImage;
using colourtest::SpotBlock;

namespace {

constexpr int kW = 10, kH = 9;

// Reference: average of the first byte of each pixel in the clipped square.
int Expected(const std::vector<uint8_t> &img, int bpp, int cx, int cy, bool invert, int *count) {
    int sum = 0, n = 0;
    for (int y = std::max(0, cy - 3); y <= std::min(kH - 1, cy + 3); ++y)
        for (int x = std::max(0, cx - 3); x <= std::min(kW - 1, cx + 3); ++x, ++n) {
            const int v = img[(y * kW + x) * bpp];
            sum += invert ? 255 - v : v;
        }
    *count = n;
    return sum / n;
}

struct SpotCase {
    int x, y, samples;
};

class Spot : public ::testing::TestWithParam<SpotCase> {};

TEST_P(Spot, AveragesTheSamplesInsideTheImage) {
    const SpotCase &c = GetParam();
    const auto colour = NoiseImage(kW * kH * 3, 21);
    const auto grey = NoiseImage(kW * kH, 22);
    for (bool invert : {false, true}) {
        SC_SPOTPARAM p = SpotBlock(kW, kH, c.x, c.y);
        if (invert) {
            p.curveSwitch = 1;
            for (int i = 0; i < SC_CURVE_ENTRIES; ++i)
                p.curve[i] = static_cast<uint16_t>(4095 - i);
        }
        int count = 0;
        EXPECT_EQ(SC_proc_spoitL(colour.data(), &p), Expected(colour, 3, c.x, c.y, invert, &count));
        EXPECT_EQ(count, c.samples);
        EXPECT_EQ(SC_grayproc_spoitL(grey.data(), &p), Expected(grey, 1, c.x, c.y, invert, &count));
    }
}

INSTANTIATE_TEST_SUITE_P(Corners, Spot,
                         ::testing::Values(SpotCase{0, 0, 16}, SpotCase{kW - 1, kH - 1, 16},
                                           SpotCase{5, 4, 49}, SpotCase{1, 4, 35},
                                           SpotCase{kW - 1, 0, 16}),
                         [](const auto &i) {
                             return "At" + std::to_string(i.param.x) + "_" +
                                    std::to_string(i.param.y);
                         });

}  // namespace
