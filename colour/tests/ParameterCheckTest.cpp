// Every block a caller can pass that does not describe a valid area, tone
// or spot is refused with -1 before a pixel is read or written. The input
// buffer is only as large as the sane block's image, so under the address
// sanitizer any read the checks fail to stop is caught.
#include "PreviewBlock.h"
#include "corvcolor.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

using colourtest::kPreviewExports;
using colourtest::NeutralBlock;
using colourtest::PreviewExport;
using colourtest::SpotBlock;

namespace {

struct BadBlock {
    const char *name;
    std::function<void(SC_PREVIEWPARAM &)> set;
    bool toneOnly;  // refused only by the exports that apply tone
};

const BadBlock kBadBlocks[] = {
    {"ZeroWidth", [](auto &p) { p.srcWidth = 0; }, false},
    {"NegativeHeight", [](auto &p) { p.srcHeight = -8; }, false},
    {"ImageBytesOverflow", [](auto &p) { p.srcWidth = p.srcHeight = 65536; }, false},
    {"MaxWidthAndHeight", [](auto &p) { p.srcWidth = p.srcHeight = INT_MAX; }, false},
    {"MaxOutputSize", [](auto &p) { p.outWidth = p.outHeight = INT_MAX; }, false},
    {"MaxWidthTimesChannels",
     [](auto &p) {
         p.srcWidth = INT_MAX;
         p.srcHeight = 1;
     },
     false},
    {"AreaLeftNegative", [](auto &p) { p.areaLeft = -1; }, false},
    {"AreaTopNegative", [](auto &p) { p.areaTop = INT_MIN; }, false},
    {"AreaWidthZero", [](auto &p) { p.areaWidth = 0; }, false},
    {"AreaHeightNegative", [](auto &p) { p.areaHeight = -3; }, false},
    {"AreaPastRightEdge", [](auto &p) { p.areaLeft = 1; }, false},
    {"AreaPastBottomEdge",
     [](auto &p) {
         p.areaTop = 2;
         p.areaHeight = 5;
     },
     false},
    {"AreaRightEdgeOverflows",
     [](auto &p) {
         p.areaLeft = 2;
         p.areaWidth = INT_MAX;
     },
     false},
    {"AreaBottomOverflows",
     [](auto &p) {
         p.areaTop = INT_MAX;
         p.areaHeight = INT_MAX;
     },
     false},
    {"OutputWidthOnly", [](auto &p) { p.outWidth = 5; }, false},
    {"OutputHeightOnly", [](auto &p) { p.outHeight = 5; }, false},
    {"OutputNegative",
     [](auto &p) {
         p.outWidth = -4;
         p.outHeight = -4;
     },
     false},
    {"OutputBytesOverflow",
     [](auto &p) {
         p.outWidth = 100000;
         p.outHeight = 100000;
     },
     false},
    {"OutputRowOverflow",
     [](auto &p) {
         p.outWidth = INT_MAX;
         p.outHeight = 1;
     },
     false},
    {"GammaZero", [](auto &p) { p.gamma = 0; }, true},
    {"GammaNegative", [](auto &p) { p.gamma = -18; }, true},
    {"HighlightEqualsShadow",
     [](auto &p) {
         p.highlight = 40;
         p.shadow = 40;
     },
     true},
};

class BadPreviewBlock : public ::testing::TestWithParam<BadBlock> {};

TEST_P(BadPreviewBlock, IsRefusedByEveryExportThatReadsIt) {
    const BadBlock &bad = GetParam();
    for (const PreviewExport &e : kPreviewExports) {
        for (bool sharpen : {false, true}) {
            SC_PREVIEWPARAM p = NeutralBlock(6, 4);
            p.sharpMode = sharpen ? 1 : 2;
            const std::vector<uint8_t> in(6 * 4 * e.channels, 128);
            std::vector<uint8_t> out(16 * 4 * 4, 0);
            bad.set(p);
            const int expect = bad.toneOnly && !e.usesTone ? 0 : -1;
            EXPECT_EQ(e.fn(out.data(), in.data(), &p), expect) << e.name << " sharpen " << sharpen;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Exports, BadPreviewBlock, ::testing::ValuesIn(kBadBlocks),
                         [](const auto &i) { return std::string(i.param.name); });

TEST(ParameterCheck, NullPointersAreRefused) {
    SC_PREVIEWPARAM p = NeutralBlock(2, 2);
    std::vector<uint8_t> buf(64, 0);
    for (const PreviewExport &e : kPreviewExports) {
        EXPECT_EQ(e.fn(nullptr, buf.data(), &p), -1) << e.name;
        EXPECT_EQ(e.fn(buf.data(), nullptr, &p), -1) << e.name;
        EXPECT_EQ(e.fn(buf.data(), buf.data(), nullptr), -1) << e.name;
    }
    SC_SPOTPARAM s = SpotBlock(2, 2, 0, 0);
    EXPECT_EQ(SC_proc_spoitL(nullptr, &s), -1);
    EXPECT_EQ(SC_proc_spoitL(buf.data(), nullptr), -1);
    EXPECT_EQ(SC_grayproc_spoitL(nullptr, &s), -1);
    EXPECT_EQ(SC_grayproc_spoitL(buf.data(), nullptr), -1);
}

TEST(ParameterCheck, CurveValuesBeyondTwelveBitsCountAsWhite) {
    SC_PREVIEWPARAM p = NeutralBlock(4, 1);
    p.curveSwitch = 1;
    for (auto &v : p.curve)
        v = 0xFFFF;
    const std::vector<uint8_t> in(4, 10);
    std::vector<uint8_t> out(4, 0);
    ASSERT_EQ(SC_Graypreview(out.data(), in.data(), &p), 0);
    EXPECT_EQ(out, std::vector<uint8_t>(4, 255));
    const std::vector<uint8_t> colour(12, 10);
    std::vector<uint8_t> colourOut(12, 0);
    EXPECT_EQ(SC_preview(colourOut.data(), colour.data(), &p), 0);
}

struct BadSpot {
    const char *name;
    int width, height, x, y;
};

const BadSpot kBadSpots[] = {
    {"XAtWidth", 6, 4, 6, 0},
    {"YAtHeight", 6, 4, 0, 4},
    {"XNegative", 6, 4, -1, 0},
    {"YNegative", 6, 4, 0, INT_MIN},
    {"ZeroWidth", 0, 4, 0, 0},
    {"NegativeHeight", 6, -4, 0, 0},
    {"SizeOverflow", 65536, 65536, 0, 0},
    {"MaxSize", INT_MAX, INT_MAX, 0, 0},
};

class BadSpotBlock : public ::testing::TestWithParam<BadSpot> {};

TEST_P(BadSpotBlock, IsRefused) {
    const BadSpot &b = GetParam();
    const std::vector<uint8_t> in(6 * 4 * 3, 50);
    const SC_SPOTPARAM p = SpotBlock(b.width, b.height, b.x, b.y);
    EXPECT_EQ(SC_proc_spoitL(in.data(), &p), -1);
    EXPECT_EQ(SC_grayproc_spoitL(in.data(), &p), -1);
}

INSTANTIATE_TEST_SUITE_P(Exports, BadSpotBlock, ::testing::ValuesIn(kBadSpots),
                         [](const auto &i) { return std::string(i.param.name); });

}  // namespace
