// Behaviour of the preview exports, called the way a preview tool calls them.
#include "ConversionTable.h"
#include "PreviewBlock.h"
#include "corvcolor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

using colourtest::AreaBlock;
using colourtest::NeutralBlock;
using colourtest::NoiseImage;
using colourtest::OutputBytes;

namespace {

using PreviewFn = int(SC_API *)(uint8_t *, const uint8_t *, const SC_PREVIEWPARAM *);

struct Output {
    int rc;
    std::vector<uint8_t> bytes;
};

Output Call(PreviewFn fn, const std::vector<uint8_t> &in, const SC_PREVIEWPARAM &p, int channels) {
    Output o;
    o.bytes.assign(static_cast<size_t>(OutputBytes(p, channels)), 0xAA);
    o.rc = fn(o.bytes.data(), in.data(), &p);
    return o;
}

std::vector<uint8_t> Pixels(std::initializer_list<uint8_t> px, int count) {
    std::vector<uint8_t> v;
    for (int i = 0; i < count; ++i)
        v.insert(v.end(), px);
    return v;
}

int Clamp8(double v) {
    return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0)));
}

TEST(Preview, NeutralReducesToCutOutTableConversionAndPadding) {
    const int w = 9, h = 7;
    const auto in = NoiseImage(w * h * 3, 7);
    SC_PREVIEWPARAM p = AreaBlock(w, h, 2, 1, 6, 4);
    const Output o = Call(SC_preview, in, p, 3);
    ASSERT_EQ(o.rc, 0);
    const size_t row = 20;  // 18 bytes of pixels, 2 of padding
    for (int y = 0; y < p.areaHeight; ++y) {
        for (int x = 0; x < p.areaWidth; ++x) {
            uint8_t expect[3];
            corvcolor::CConversionTable::Convert(&in[((y + 1) * w + x + 2) * 3], expect);
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(o.bytes[y * row + x * 3 + c], expect[c]) << x << "," << y << "," << c;
        }
        EXPECT_EQ(o.bytes[y * row + 18], 0);
        EXPECT_EQ(o.bytes[y * row + 19], 0);
    }
}

TEST(Preview, NeutralGrayRampConvertsToMatchingRgb) {
    std::vector<uint8_t> in;
    for (int v = 0; v < 256; ++v)
        in.insert(in.end(), {static_cast<uint8_t>(v), 128, 128});
    const Output o = Call(SC_preview, in, NeutralBlock(256, 1), 3);
    ASSERT_EQ(o.rc, 0);
    for (int v = 0; v < 256; ++v)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(o.bytes[v * 3 + c], v, 1) << "level " << v << " channel " << c;
}

TEST(Preview, ColoursInsideTheGamutFollowTheYCbCrFormula) {
    std::vector<uint8_t> in;
    for (int y = 64; y <= 192; y += 16)
        for (int cb = 100; cb <= 156; cb += 7)
            for (int cr = 100; cr <= 156; cr += 7)
                in.insert(in.end(), {static_cast<uint8_t>(y), static_cast<uint8_t>(cb),
                                     static_cast<uint8_t>(cr)});
    const int n = static_cast<int>(in.size() / 3);
    const Output o = Call(SC_preview, in, NeutralBlock(n, 1), 3);
    ASSERT_EQ(o.rc, 0);
    for (int i = 0; i < n; ++i) {
        const double y = in[i * 3], cb = in[i * 3 + 1] - 128.0, cr = in[i * 3 + 2] - 128.0;
        EXPECT_NEAR(o.bytes[i * 3 + 2], Clamp8(y + 1.402 * cr), 1) << i;
        EXPECT_NEAR(o.bytes[i * 3 + 1], Clamp8(y - 0.344136 * cb - 0.714136 * cr), 1) << i;
        EXPECT_NEAR(o.bytes[i * 3 + 0], Clamp8(y + 1.772 * cb), 1) << i;
    }
}

struct RowCase {
    const char *name;
    PreviewFn fn;
    int channels;
    size_t rowBytes;
};

class RowPadding : public ::testing::TestWithParam<RowCase> {};

TEST_P(RowPadding, FivePixelWideAreaGivesPaddedRows) {
    const RowCase &c = GetParam();
    const auto in = NoiseImage(11 * 4 * c.channels, 3);
    SC_PREVIEWPARAM p = NeutralBlock(11, 4);
    p.areaLeft = 3;
    p.areaWidth = 5;
    const Output o = Call(c.fn, in, p, c.channels);
    ASSERT_EQ(o.rc, 0);
    ASSERT_EQ(o.bytes.size(), c.rowBytes * 4);
    for (int y = 0; y < 4; ++y)
        for (size_t i = 5 * c.channels; i < c.rowBytes; ++i)
            EXPECT_EQ(o.bytes[y * c.rowBytes + i], 0);
}

INSTANTIATE_TEST_SUITE_P(Exports, RowPadding,
                         ::testing::Values(RowCase{"preview", SC_preview, 3, 16},
                                           RowCase{"icc", SC_ICCpreview, 3, 16},
                                           RowCase{"srgb", SC_sRGBpreview, 3, 16},
                                           RowCase{"gray", SC_Graypreview, 1, 8}),
                         [](const auto &i) { return std::string(i.param.name); });

TEST(Preview, IccAndSrgbWithoutAdjustmentsCopyTheAreaUnchanged) {
    const int w = 7, h = 5;
    const auto in = NoiseImage(w * h * 3, 11);
    SC_PREVIEWPARAM p = AreaBlock(w, h, 1, 2, 4, 3);
    for (PreviewFn fn : {SC_ICCpreview, SC_sRGBpreview}) {
        const Output o = Call(fn, in, p, 3);
        ASSERT_EQ(o.rc, 0);
        for (int y = 0; y < 3; ++y)
            for (int i = 0; i < 12; ++i)
                EXPECT_EQ(o.bytes[y * 12 + i], in[((y + 2) * w + 1) * 3 + i]);
    }
}

TEST(Preview, ScalingRepeatsOrDropsPixelsNearestFirst) {
    // A 2 x 2 grey image doubled and a 4 x 4 one halved.
    const std::vector<uint8_t> small = {10, 20, 30, 40};
    SC_PREVIEWPARAM up = NeutralBlock(2, 2);
    up.outWidth = 4;
    up.outHeight = 4;
    const Output o = Call(SC_Graypreview, small, up, 1);
    ASSERT_EQ(o.rc, 0);
    const std::vector<uint8_t> expectUp = {10, 10, 20, 20, 10, 10, 20, 20,
                                           30, 30, 40, 40, 30, 30, 40, 40};
    EXPECT_EQ(o.bytes, expectUp);

    std::vector<uint8_t> big(16);
    for (int i = 0; i < 16; ++i)
        big[i] = static_cast<uint8_t>(i * 10);
    SC_PREVIEWPARAM down = NeutralBlock(4, 4);
    down.outWidth = 2;
    down.outHeight = 2;
    const Output d = Call(SC_Graypreview, big, down, 1);
    ASSERT_EQ(d.rc, 0);
    const std::vector<uint8_t> expectDown = {50, 70, 0, 0, 130, 150, 0, 0};
    EXPECT_EQ(d.bytes, expectDown);
}

// Adjustments, each with the measure it must move and the direction.
double MeanOf(const std::vector<uint8_t> &b, int channel, int stride) {
    double s = 0;
    int n = 0;
    for (size_t i = channel; i < b.size(); i += stride, ++n)
        s += b[i];
    return s / n;
}
double Mean(const Output &o) {
    return MeanOf(o.bytes, 0, 1);
}
double Red(const Output &o) {
    return MeanOf(o.bytes, 2, 3);
}
double Chroma(const Output &o) {
    return std::max({Red(o), MeanOf(o.bytes, 1, 3), MeanOf(o.bytes, 0, 3)}) -
           std::min({Red(o), MeanOf(o.bytes, 1, 3), MeanOf(o.bytes, 0, 3)});
}
// Difference between the right (light) and left (dark) half of a 4 x 1 image.
double Spread(const Output &o) {
    const size_t half = o.bytes.size() / 2;
    return MeanOf(std::vector<uint8_t>(o.bytes.begin() + half, o.bytes.end()), 0, 1) -
           MeanOf(std::vector<uint8_t>(o.bytes.begin(), o.bytes.begin() + half), 0, 1);
}

struct AdjustCase {
    const char *name;
    PreviewFn fn;
    std::vector<uint8_t> image;  // 4 x 1 pixels
    std::function<void(SC_PREVIEWPARAM &)> set;
    std::function<double(const Output &)> measure;
    int direction;
};

const std::vector<uint8_t> kMidGrey = Pixels({128, 128, 128}, 4);
const std::vector<uint8_t> kReddishYcc = Pixels({120, 110, 170}, 4);
const std::vector<uint8_t> kBluishYcc = Pixels({120, 178, 128}, 4);
const std::vector<uint8_t> kReddishBgr = Pixels({60, 70, 170}, 4);
const std::vector<uint8_t> kTwoGreysBgr = {90, 90, 90, 90, 90, 90, 160, 160, 160, 160, 160, 160};
const std::vector<uint8_t> kTwoGreys = {90, 90, 160, 160};
const std::vector<uint8_t> kMidGrey1 = {100, 100, 100, 100};

std::vector<AdjustCase> AdjustCases() {
    auto invert = [](SC_PREVIEWPARAM &p) {
        p.curveSwitch = 1;
        for (int i = 0; i < SC_CURVE_ENTRIES; ++i)
            p.curve[i] = static_cast<uint16_t>(4095 - i);
    };
    return {
        {"LightnessUp", SC_preview, kMidGrey, [](auto &p) { p.adjust3 = 60; }, Mean, +1},
        {"LightnessDown", SC_preview, kMidGrey, [](auto &p) { p.adjust3 = -60; }, Mean, -1},
        {"SaturationUp", SC_preview, kReddishYcc, [](auto &p) { p.adjust2 = 60; }, Chroma, +1},
        {"SaturationDown", SC_preview, kReddishYcc, [](auto &p) { p.adjust2 = -60; }, Chroma, -1},
        {"HueTurnsBlueTowardsRed", SC_preview, kBluishYcc, [](auto &p) { p.adjust1 = 100; }, Red,
         +1},
        {"HueTurnsBlueAwayFromRed", SC_preview, kBluishYcc, [](auto &p) { p.adjust1 = -100; }, Red,
         -1},
        {"GammaAboveNeutralDarkens", SC_preview, kMidGrey, [](auto &p) { p.gamma = 24; }, Mean, -1},
        {"GammaBelowNeutralLightens", SC_preview, kMidGrey, [](auto &p) { p.gamma = 12; }, Mean,
         +1},
        {"HighlightLightens", SC_preview, kMidGrey, [](auto &p) { p.highlight = 200; }, Mean, +1},
        {"ShadowAboveHighlightInverts", SC_Graypreview, kMidGrey1,
         [](auto &p) {
             p.shadow = 255;
             p.highlight = 0;
         },
         Mean, +1},
        {"ShadowDarkens", SC_preview, kMidGrey, [](auto &p) { p.shadow = 60; }, Mean, -1},
        {"InvertedCurveLightensDark", SC_preview, Pixels({40, 128, 128}, 4), invert, Mean, +1},
        {"SrgbBrightnessUp", SC_sRGBpreview, kTwoGreysBgr, [](auto &p) { p.adjust2 = 60; }, Mean,
         +1},
        {"SrgbBrightnessDown", SC_sRGBpreview, kTwoGreysBgr, [](auto &p) { p.adjust2 = -60; }, Mean,
         -1},
        {"SrgbContrastUp", SC_sRGBpreview, kTwoGreysBgr, [](auto &p) { p.adjust3 = 60; }, Spread,
         +1},
        {"SrgbContrastDown", SC_sRGBpreview, kTwoGreysBgr, [](auto &p) { p.adjust3 = -60; }, Spread,
         -1},
        {"SrgbSaturationUp", SC_sRGBpreview, kReddishBgr, [](auto &p) { p.adjust1 = 60; }, Chroma,
         +1},
        {"SrgbSaturationDown", SC_sRGBpreview, kReddishBgr, [](auto &p) { p.adjust1 = -60; },
         Chroma, -1},
        {"GrayContrastUp", SC_Graypreview, kTwoGreys, [](auto &p) { p.adjust1 = 100; }, Spread, +1},
        {"GrayContrastDown", SC_Graypreview, kTwoGreys, [](auto &p) { p.adjust1 = -100; }, Spread,
         -1},
        {"GrayGammaDarkens", SC_Graypreview, kMidGrey1, [](auto &p) { p.gamma = 30; }, Mean, -1},
        {"GrayShadowDarkens", SC_Graypreview, kMidGrey1, [](auto &p) { p.shadow = 50; }, Mean, -1},
        {"GrayInvertedCurve", SC_Graypreview, kMidGrey1, invert, Mean, +1},
    };
}

class Adjustment : public ::testing::TestWithParam<AdjustCase> {};

TEST_P(Adjustment, MovesTheMeasureInItsDirection) {
    const AdjustCase &c = GetParam();
    const int channels = c.fn == SC_Graypreview ? 1 : 3;
    SC_PREVIEWPARAM p = NeutralBlock(static_cast<int>(c.image.size()) / channels, 1);
    const Output before = Call(c.fn, c.image, p, channels);
    c.set(p);
    const Output after = Call(c.fn, c.image, p, channels);
    ASSERT_EQ(before.rc, 0);
    ASSERT_EQ(after.rc, 0);
    const double delta = c.measure(after) - c.measure(before);
    EXPECT_GT(delta * c.direction, 2.0)
        << "before " << c.measure(before) << " after " << c.measure(after);
}

INSTANTIATE_TEST_SUITE_P(Exports, Adjustment, ::testing::ValuesIn(AdjustCases()),
                         [](const auto &i) { return std::string(i.param.name); });

// Edge contrast across a vertical step, as the filter strength rises.
double EdgeSpread(int family, int strength) {
    const int w = 12, h = 6;
    std::vector<uint8_t> in(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            in[y * w + x] = x < w / 2 ? 70 : 180;
    SC_PREVIEWPARAM p = NeutralBlock(w, h);
    if (family >= 0) {
        p.sharpMode = 0;
        p.sharpSwitch2 = family == 2;
        p.sharpStrength = strength;
    }
    const Output o = Call(SC_Graypreview, in, p, 1);
    EXPECT_EQ(o.rc, 0);
    const uint8_t *row = &o.bytes[3 * 12];
    return *std::max_element(row, row + w) - *std::min_element(row, row + w);
}

TEST(Preview, SharpeningRaisesEdgeContrastWithStrength) {
    double last = EdgeSpread(-1, 0);
    for (int s = 0; s < 5; ++s) {
        const double spread = EdgeSpread(0, s);
        EXPECT_GT(spread, last) << "strength " << s;
        last = spread;
    }
}

TEST(Preview, SmoothingLowersEdgeSharpnessWithStrength) {
    // Smoothing keeps the plateaus but softens the step: the pixels beside
    // the edge move towards each other.
    auto stepGap = [](int strength) {
        const int w = 12;
        std::vector<uint8_t> in(w * 6);
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = i % w < 6 ? 70 : 180;
        SC_PREVIEWPARAM p = NeutralBlock(w, 6);
        p.sharpSwitch2 = 1;
        p.sharpStrength = strength;
        const Output o = Call(SC_Graypreview, in, p, 1);
        EXPECT_EQ(o.rc, 0);
        return o.bytes[3 * 12 + 6] - o.bytes[3 * 12 + 5];
    };
    int last = 110;
    for (int s = 0; s < 5; ++s) {
        EXPECT_LT(stepGap(s), last) << "strength " << s;
        last = stepGap(s);
    }
}

TEST(Preview, FilterMarginsComeFromTheImageAroundTheArea) {
    // Filtering an inner area must give the same pixels as filtering the
    // whole image and cutting the area out afterwards.
    const int w = 12, h = 10;
    const auto in = NoiseImage(w * h * 3, 5);
    SC_PREVIEWPARAM whole = NeutralBlock(w, h);
    whole.sharpMode = 1;
    whole.sharpStrength = 3;
    SC_PREVIEWPARAM inner = whole;
    inner.areaLeft = 3;
    inner.areaTop = 2;
    inner.areaWidth = 5;
    inner.areaHeight = 6;
    for (PreviewFn fn : {SC_preview, SC_ICCpreview}) {
        const Output all = Call(fn, in, whole, 3);
        const Output part = Call(fn, in, inner, 3);
        ASSERT_EQ(all.rc, 0);
        ASSERT_EQ(part.rc, 0);
        for (int y = 0; y < 6; ++y)
            for (int i = 0; i < 15; ++i)
                EXPECT_EQ(part.bytes[y * 16 + i], all.bytes[(y + 2) * 36 + 9 + i]) << y << "," << i;
    }
}

TEST(Preview, FilterLeavesFlatAreasUnchanged) {
    const auto in = Pixels({77, 140, 99}, 36);
    SC_PREVIEWPARAM p = NeutralBlock(6, 6);
    const Output plain = Call(SC_ICCpreview, in, p, 3);
    for (int family = 0; family < 4; ++family) {
        p.sharpSwitch1 = family & 1;
        p.sharpSwitch2 = family >> 1;
        p.sharpMode = 0;
        p.sharpStrength = 4;
        EXPECT_EQ(Call(SC_ICCpreview, in, p, 3).bytes, plain.bytes) << "family " << family;
    }
}

}  // namespace
