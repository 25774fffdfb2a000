// The segmentation rules on drawn pages: what goes into the mask and what
// stays in the background, the layers built from a mask, and the streamed
// page against the same steps on a page held whole.
#include "ImgOption.h"
#include "ImgParam.h"
#include "ImgToTIFF2.h"
#include "LayerBuilder.h"
#include "MemoryFile.h"
#include "MrcSegmenter.h"
#include "PageConverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace corv::mrc {
namespace {

constexpr int kSide = 900;  // three inches at 300 dpi
constexpr double kDpi = 300;

struct Box {
    int x0, y0, x1, y1;  // exclusive ends
};

struct Page {
    std::vector<uint8_t> luma = std::vector<uint8_t>(size_t(kSide) * kSide, 235);
    void Fill(const Box &b, uint8_t v) {
        for (int y = b.y0; y < b.y1; ++y)
            for (int x = b.x0; x < b.x1; ++x)
                luma[size_t(y) * kSide + x] = v;
    }
    void Noise(double sigma, uint32_t seed) {
        std::mt19937 rng(seed);
        std::normal_distribution<double> n(0, sigma);
        for (uint8_t &v : luma)
            v = uint8_t(std::clamp(std::lround(v + n(rng)), 0L, 255L));
    }
};

// A letter-like mark: an "H" of 5-pixel strokes, 24 x 36 pixels.
void Letter(Page &p, int x, int y, uint8_t ink) {
    p.Fill({x, y, x + 5, y + 36}, ink);
    p.Fill({x + 19, y, x + 24, y + 36}, ink);
    p.Fill({x, y + 16, x + 24, y + 21}, ink);
}

int64_t Marked(const std::vector<uint8_t> &mask, const Box &b) {
    int64_t n = 0;
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x)
            n += mask[size_t(y) * kSide + x];
    return n;
}

struct Rule {
    const char *name;
    std::function<void(Page &)> draw;
    Box where;
    int64_t minMarked, maxMarked;
};

const Box kLetter{100, 100, 124, 136};
const Rule kRules[] = {
    {"a letter is kept whole", [](Page &p) { Letter(p, 100, 100, 20); }, kLetter, 420, 460},
    {"a coloured letter of middle darkness is kept", [](Page &p) { Letter(p, 100, 100, 110); },
     kLetter, 420, 460},
    {"a letter too light to stand out stays behind", [](Page &p) { Letter(p, 100, 100, 200); },
     kLetter, 0, 0},
    {"a speck of scanner dirt goes",
     [](Page &p) {
         p.Fill({300, 300, 302, 302}, 10);
     },
     {290, 290, 310, 310},
     0,
     0},
    {"a full stop stays",
     [](Page &p) {
         p.Fill({300, 300, 304, 304}, 10);
     },
     {290, 290, 310, 310},
     16,
     16},
    {"a long rule is kept",
     [](Page &p) {
         p.Fill({50, 400, 850, 404}, 30);
     },
     {50, 400, 850, 404},
     3200,
     3200},
    {"a drawn frame is kept",
     [](Page &p) {
         p.Fill({100, 100, 700, 103}, 30), p.Fill({100, 697, 700, 700}, 30);
         p.Fill({100, 100, 103, 700}, 30), p.Fill({697, 100, 700, 700}, 30);
     },
     {100, 100, 700, 700},
     7164,
     7164},
    {"a dark picture goes with the marks inside it",
     [](Page &p) {
         p.Fill({100, 100, 700, 600}, 40);
         for (int x = 150; x < 650; x += 60)
             p.Fill({x, 200, x + 30, 230}, 200), p.Fill({x + 8, 208, x + 12, 212}, 10);
     },
     {90, 90, 710, 610},
     0,
     0},
    {"a letter on grey paper is kept",
     [](Page &p) {
         p.Fill({0, 0, kSide, kSide}, 150), Letter(p, 100, 100, 20);
     },
     kLetter, 420, 460},
    {"the inside of a bold heading is kept",
     [](Page &p) {
         p.Fill({100, 100, 180, 160}, 25);
     },
     {100, 100, 180, 160},
     4800,
     4800},
};

TEST(Segmenter, MarksAndPicturesFollowTheRules) {
    const CMrcSegmenter s(kDpi);
    for (const Rule &r : kRules) {
        Page p;
        r.draw(p);
        p.Noise(5.0, 3);
        std::vector<uint8_t> mask = s.Threshold(p.luma.data(), kSide, kSide);
        s.Clean(mask, kSide, kSide);
        const int64_t marked = Marked(mask, r.where);
        EXPECT_GE(marked, r.minMarked) << r.name;
        EXPECT_LE(marked, r.maxMarked) << r.name;
        // Nothing outside what was drawn: noise never reaches the mask.
        EXPECT_EQ(Marked(mask, {0, 0, kSide, kSide}), marked) << r.name;
    }
}

TEST(Segmenter, CountsWhatItRemoves) {
    const CMrcSegmenter s(kDpi);
    Page p;
    Letter(p, 100, 100, 20);
    p.Fill({300, 300, 301, 302}, 10);
    p.Fill({100, 400, 600, 800}, 30);
    std::vector<uint8_t> mask = s.Threshold(p.luma.data(), kSide, kSide);
    const MaskStats stats = s.Clean(mask, kSide, kSide);
    EXPECT_EQ(stats.kept, 1);
    EXPECT_EQ(stats.specks, 1);
    EXPECT_EQ(stats.pictures, 1);
}

TEST(Segmenter, LimitsFollowTheResolution) {
    const struct {
        double dpi;
        int block, minMark, glyph, line;
    } rows[] = {
        {300, 16, 6, 300, 14}, {600, 32, 24, 600, 28}, {150, 8, 2, 150, 7}, {75, 4, 2, 75, 4}};
    for (const auto &r : rows) {
        const CMrcSegmenter s(r.dpi);
        EXPECT_EQ(s.BlockSize(), r.block) << r.dpi;
        EXPECT_EQ(s.MinMarkPixels(), r.minMark) << r.dpi;
        EXPECT_EQ(s.MaxGlyphSide(), r.glyph) << r.dpi;
        EXPECT_EQ(s.MaxLineWidth(), r.line) << r.dpi;
    }
}

TEST(LayerBuilder, DilateReachesTheRadiusAndNoFurther) {
    const struct {
        int radius, x, y;
        uint8_t expect;
    } rows[] = {{1, 5, 5, 1}, {1, 6, 6, 1}, {1, 7, 5, 0}, {2, 7, 7, 1},
                {2, 8, 5, 0}, {2, 3, 5, 1}, {3, 2, 2, 1}, {3, 1, 5, 0}};
    std::vector<uint8_t> mask(100, 0);
    mask[5 * 10 + 5] = 1;
    for (const auto &r : rows) {
        const auto out = CLayerBuilder::Dilate(mask, 10, 10, r.radius);
        EXPECT_EQ(out[size_t(r.y) * 10 + r.x], r.expect)
            << "radius " << r.radius << " at " << r.x << "," << r.y;
    }
}

TEST(LayerBuilder, FillsUnknownCellsFromTheirNeighbourhood) {
    MrcPlane p{5, 4, 1, std::vector<uint8_t>(20, 0)};
    std::vector<uint8_t> known(20, 0);
    CLayerBuilder::FillUnknown(p, known);
    EXPECT_EQ(p.pixels, std::vector<uint8_t>(20, 255)) << "nothing known gives white";

    p.pixels.assign(20, 0);
    p.pixels[7] = 90;
    known[7] = 1;
    CLayerBuilder::FillUnknown(p, known);
    EXPECT_EQ(p.pixels, std::vector<uint8_t>(20, 90)) << "one known cell fills all";

    p.pixels.assign(20, 0);
    known.assign(20, 0);
    p.pixels[0] = 10, known[0] = 1;
    p.pixels[19] = 200, known[19] = 1;
    CLayerBuilder::FillUnknown(p, known);
    EXPECT_EQ(p.pixels[0], 10);
    EXPECT_EQ(p.pixels[19], 200);
    // Cells take the mean of the smallest square around them holding a
    // known cell: its 2 x 2 square first, then 4 x 4.
    EXPECT_EQ(p.pixels[1], 10);
    EXPECT_EQ(p.pixels[14], 200);
    EXPECT_EQ(p.pixels[18], 10);
}

TEST(LayerBuilder, BackgroundLosesTheInkAndForegroundKeepsItsColour) {
    // Red ink on cream paper, with a ring of mixed pixels around the mark.
    const int w = 60, h = 60;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    std::vector<uint8_t> mask(size_t(w) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t *p = &rgb[(size_t(y) * w + x) * 3];
            const bool ink = x >= 20 && x < 40 && y >= 20 && y < 40;
            const bool edge = !ink && x >= 19 && x < 41 && y >= 19 && y < 41;
            p[0] = ink ? 180 : edge ? 215 : 245;
            p[1] = ink ? 20 : edge ? 130 : 240;
            p[2] = ink ? 30 : edge ? 130 : 225;
            mask[size_t(y) * w + x] = ink;
        }
    const MrcLayers l = CLayerBuilder(300).Build(rgb.data(), w, h, 3, mask);
    ASSERT_EQ(l.background.width, 20);
    ASSERT_EQ(l.foreground.width, 10);
    EXPECT_EQ(l.mask, mask);
    for (size_t i = 0; i < l.background.pixels.size(); i += 3) {
        EXPECT_EQ(l.background.pixels[i], 245) << "cell " << i / 3;
        EXPECT_EQ(l.background.pixels[i + 1], 240) << "cell " << i / 3;
    }
    // The foreground cell over the middle of the mark holds the ink.
    const uint8_t *fg = &l.foreground.pixels[(size_t(5) * 10 + 5) * 3];
    EXPECT_EQ(fg[0], 180);
    EXPECT_EQ(fg[1], 20);
    EXPECT_EQ(fg[2], 30);
}

}  // namespace
}  // namespace corv::mrc

namespace corv::mrc {
namespace {

TEST(PageConverter, StreamedPageMatchesTheWholePagePath) {
    // An RGB page whose height is no multiple of the block, with marks,
    // a picture and noise, read from our writer's TIFF in bands.
    const int w = 410, h = 333;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0, 5);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                const bool mark = (x % 40 < 6 && y % 50 < 30) || (y >= 300 && y < 304);
                const bool picture = x >= 250 && y >= 120 && y < 280;
                const double v = mark ? 30 + 60 * c : picture ? 40 + (x + y + c * 50) % 90 : 235;
                rgb[(size_t(y) * w + x) * 3 + c] =
                    uint8_t(std::clamp(std::lround(v + noise(rng)), 0L, 255L));
            }
    CMemoryFile file;
    file.Open(kOpenReadWrite);
    {
        CTiffOption option(0, 0, 0);
        CImgToTIFF2 writer;
        writer.Open(&option, &file);
        writer.BeginPage(CImgParam(kPixelRgb, w, h, w * 3, 200.0));
        writer.WriteData(rgb.size(), rgb.data());
        writer.EndPage();
        writer.Close();
    }
    file.Seek(0, kSeekBegin);
    CTiffReader reader(file);
    TiffPage page;
    ASSERT_TRUE(reader.NextPage(page));
    const MrcLayers streamed = CPageConverter(reader).Convert(page);

    const CMrcSegmenter s(200);
    std::vector<uint8_t> luma(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        CMrcSegmenter::LumaRow(&rgb[size_t(y) * w * 3], w, 3, &luma[size_t(y) * w]);
    std::vector<uint8_t> mask = s.Threshold(luma.data(), w, h);
    const MaskStats stats = s.Clean(mask, w, h);
    EXPECT_GT(stats.kept, 50);
    EXPECT_EQ(stats.pictures, 1);
    const MrcLayers whole = CLayerBuilder(200).Build(rgb.data(), w, h, 3, mask);

    EXPECT_EQ(streamed.mask, whole.mask);
    EXPECT_EQ(streamed.background.pixels, whole.background.pixels);
    EXPECT_EQ(streamed.foreground.pixels, whole.foreground.pixels);
    EXPECT_EQ(streamed.background.width, (w + 2) / 3);
    EXPECT_EQ(streamed.foreground.height, (h + 5) / 6);
}

}  // namespace
}  // namespace corv::mrc
