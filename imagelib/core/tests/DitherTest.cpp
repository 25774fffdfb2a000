// The dithers against small examples worked out by hand from their tables,
// a ramp's average grey kept, bands joining without seams, and the palette
// dithers and the quantiser staying inside their palettes.
#include "BandConverter.h"
#include "ColorDither.h"
#include "ColorQuantizer.h"
#include "ComImage.h"
#include "Dither.h"
#include "ErrorDiffusionDither.h"
#include "OrderedDither.h"
#include "SystemDither.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

using namespace corv;

namespace {

ImageBand GrayBand(int width, int top, int rows, int imageHeight,
                   const std::function<int(int, int)> &value) {
    ImageBand band;
    band.Shape(kKindGray8, width, imageHeight, rows);
    band.top = top;
    band.bottom = top + rows;
    for (int y = top; y < top + rows; ++y)
        for (int x = 0; x < width; ++x)
            band.Row(y)[x] = static_cast<uint8_t>(value(x, y));
    return band;
}

// Rows of '1' (white) and '0' (black).
std::vector<std::string> Bits(CDither &d, const ImageBand &band) {
    const int width = band.right - band.left, rowBytes = (width + 7) / 8;
    std::vector<uint8_t> out(size_t(rowBytes) * size_t(band.bottom - band.top));
    d.DitherToBilevel(band, out.data(), rowBytes);
    std::vector<std::string> rows;
    for (int y = 0; y < band.bottom - band.top; ++y) {
        std::string r;
        for (int x = 0; x < width; ++x)
            r += (out[size_t(y * rowBytes + x / 8)] >> (7 - x % 8)) & 1 ? '1' : '0';
        rows.push_back(r);
    }
    return rows;
}

struct WorkedExample {
    int method;
    int gray;
    std::vector<std::string> expected;
};

// Ordered codes at a flat grey: a pixel is black where its threshold, the
// middle of its rank's step among the cells, floor((rank + 0.5) * 256 /
// cells + 0.5), is above the grey: 16 m + 8 for codes 1 to 4 (rank m),
// 16 m - 8 for 5 (levels 1..16), 4 m + 2 for 9 below its doubled 43. Error diffusion on a
// 3 x 2 field of 100, each value followed through the kernel by hand, e.g.
// for 100: (0,0) 100 -> black, error 100, 43 to the right; (1,0) 143 ->
// white, error -112; (2,0) 100 - 49 = 51; (0,1) 100 + 31 - 21 = 110;
// (1,1) 100 + 6 - 35 + 9 + 48 = 128 -> white; (2,1) 100 - 7 + 15 - 55 = 53.
const WorkedExample kExamples[] = {
    {1, 128, {"1010", "0101", "1010", "0101"}},  // black where m >= 8
    {1, 64, {"1010", "0000", "1010", "0000"}},   // black where m >= 4
    {2, 128, {"0110", "0110", "1001", "1001"}},
    {3, 128, {"0110", "0111", "0111", "0000"}},
    {4, 128, {"0100", "0111", "1110", "0010"}},
    {5, 128, {"1100", "0011", "1100", "0011"}},  // black where m >= 9
    {9,
     128,
     {"11110000", "11110000", "11110000", "11110000", "00001111", "00001111", "00001111",
      "00001111"}},  // black where m >= 32
    {100, 100, {"010", "010"}},
    {101, 100, {"000", "101"}},
    {102, 100, {"001", "010"}},
};

TEST(Dither, WorkedExamples) {
    for (const WorkedExample &e : kExamples) {
        SCOPED_TRACE(e.method);
        const int w = int(e.expected[0].size()), h = int(e.expected.size());
        DitherPtr d = CreateBilevelDither(e.method);
        ASSERT_TRUE(d);
        d->Prepare();
        EXPECT_EQ(Bits(*d, GrayBand(w, 0, h, h, [&](int, int) { return e.gray; })), e.expected);
    }
    // Code 8 holds levels 0 and 1 in two cells each and every other level
    // in four, so level 32's cells take ranks 124..127 and thresholds up to
    // 128 (white at 128), level 33's ranks 128..131 (black). Its top-left
    // and bottom-right 8 x 8 quarters hold the levels up to 32, the other
    // two those from 33.
    DitherPtr d = CreateBilevelDither(8);
    std::vector<std::string> quarters;
    for (int y = 0; y < 16; ++y)
        quarters.push_back(y < 8 ? "1111111100000000" : "0000000011111111");
    EXPECT_EQ(Bits(*d, GrayBand(16, 0, 16, 16, [](int, int) { return 128; })), quarters);
}

TEST(Dither, FactoriesByMethodCode) {
    struct Row {
        int method;
        const char *bilevel;
        const char *palette;
    };
    const Row rows[] = {
        {1, "ordered", "levels"},
        {5, "ordered", "levels"},
        {6, "", "levels"},
        {7, "", "levels"},
        {8, "ordered", "levels"},
        {9, "ordered", "levels"},
        {100, "diffusion", "diffusion"},
        {102, "diffusion", "diffusion"},
        {200, "levels", "levels"},
        {300, "system", "system"},
        {0, "", ""},
        {10, "", ""},
        {103, "", ""},
        {201, "", ""},
        {301, "", ""},
    };
    auto name = [](const DitherPtr &d) -> std::string {
        if (!d)
            return "";
        if (dynamic_cast<COrderedDither *>(d.get()))
            return "ordered";
        if (dynamic_cast<CErrorDiffusionDither *>(d.get()))
            return "diffusion";
        if (dynamic_cast<CSystemDither *>(d.get()))
            return "system";
        auto *c = dynamic_cast<CColorDither *>(d.get());
        return c ? "levels" : "?";
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.method);
        EXPECT_EQ(name(CreateBilevelDither(r.method)), r.bilevel);
        EXPECT_EQ(name(CreatePaletteDither(r.method)), r.palette);
    }
    const DitherPtr bilevelDither = CreateBilevelDither(200),
                    colourDither = CreatePaletteDither(200);
    auto *bilevel = dynamic_cast<CColorDither *>(bilevelDither.get());
    auto *colour = dynamic_cast<CColorDither *>(colourDither.get());
    ASSERT_TRUE(bilevel && colour);
    EXPECT_EQ(bilevel->Mode(), CColorDither::kModeBilevel);
    EXPECT_EQ(colour->Mode(), CColorDither::kModeColour);
}

// A 256 x 64 ramp of 0..191, converted through CComImage's conversion in
// bands of 16 rows: the white share of every bilevel method and the mean
// luminance of every palette method stay within 1% of the input's mean,
// and the bands join exactly as one band would.
TEST(Dither, RampAverageAndSeamlessBands) {
    const int w = 256, h = 64;
    auto ramp = [](int x, int) { return x * 3 / 4; };
    double inputMean = 0;
    for (int x = 0; x < w; ++x)
        inputMean += ramp(x, 0);
    inputMean /= w;
    struct Target {
        int kind;
        std::vector<int> methods;
    };
    const Target targets[] = {{kKindBilevel, {1, 2, 3, 4, 5, 8, 9, 100, 101, 102, 200, 300}},
                              {kKindPalette8, {1, 9, 100, 101, 102, 200, 300}}};
    struct Host : CComImage {
        void OpenWrite(CComFile *, int, int, int, int) override {}
        void WriteBand(const ImageBand &) override {}
        void Finish() override {}
    };
    for (const Target &t : targets)
        for (int method : t.methods) {
            SCOPED_TRACE(std::to_string(t.kind) + " " + std::to_string(method));
            Host banded, whole;
            banded.SetConversion(t.kind, method);
            whole.SetConversion(t.kind, method);
            ImageBand out, all;
            whole.ConvertBand(GrayBand(w, 0, h, h, ramp), all);
            double sum = 0;
            for (int top = 0; top < h; top += 16) {
                banded.ConvertBand(GrayBand(w, top, 16, h, ramp), out);
                EXPECT_EQ(0, std::memcmp(out.Data(), all.Row(top), size_t(out.bytesPerRow) * 16));
                std::vector<uint8_t> rgb(size_t(w) * 3);
                for (int y = top; y < top + 16; ++y) {
                    CDither::RgbRow(out, y, rgb.data());
                    for (int x = 0; x < w; ++x)
                        sum += rgb[size_t(x) * 3];
                }
            }
            EXPECT_NEAR(sum / (w * h), inputMean, 2.55);
        }
}

TEST(Dither, PaletteDithersStayInTheirPalettes) {
    const int w = 97, h = 41;
    ImageBand colour;
    colour.Shape(kKindRgb24, w, h, h);
    colour.bottom = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t *p = colour.Row(y) + 3 * x;
            p[0] = static_cast<uint8_t>(x * 255 / w);
            p[1] = static_cast<uint8_t>(y * 255 / h);
            p[2] = static_cast<uint8_t>((x * y) & 255);
        }
    CColorQuantizer quantizer;
    quantizer.AddBand(colour);
    const Palette quantised = quantizer.BuildPalette(16);
    ASSERT_EQ(quantised.size(), 16u);
    struct Row {
        int kind, method;
        const Palette *given;
        const Palette *expected;
    };
    const Row rows[] = {
        {kKindPalette4, 300, &quantised, &CSystemDither::SystemPalette()},
        {kKindPalette8, 300, nullptr, &CSystemDither::SystemPalette()},
        {kKindPalette4, 200, &quantised, &quantised},
        {kKindPalette4, 5, nullptr, &CSystemDither::SystemPalette()},
        {kKindPalette8, 101, &quantised, &quantised},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.method);
        CBandConverter converter(r.kind, r.method, r.given);
        ImageBand out;
        converter.Convert(colour, out);
        EXPECT_EQ(out.palette, *r.expected);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int index = r.kind == kKindPalette4
                                      ? (out.Row(y)[x / 2] >> (x % 2 ? 0 : 4)) & 15
                                      : out.Row(y)[x];
                ASSERT_LT(size_t(index), r.expected->size());
            }
    }
    // Bilevel output of the levels and system dithers is only black and white
    // by construction; their palette side is what needed the check above.
}

TEST(Dither, QuantizerFindsFewColoursExactly) {
    const Palette colours = {
        {10, 200, 30}, {250, 250, 250}, {0, 0, 0}, {128, 64, 200}, {255, 0, 0}};
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 500; ++i) {
        const PaletteEntry &c = colours[size_t(i * 7 % 5)];
        rgb.insert(rgb.end(), {c.r, c.g, c.b});
    }
    CColorQuantizer q;
    q.AddRgb(rgb.data(), rgb.size() / 3);
    Palette got = q.BuildPalette(16);
    auto less = [](const PaletteEntry &a, const PaletteEntry &b) {
        return std::tie(a.r, a.g, a.b) < std::tie(b.r, b.g, b.b);
    };
    Palette want = colours;
    std::sort(got.begin(), got.end(), less);
    std::sort(want.begin(), want.end(), less);
    EXPECT_EQ(got, want);
}

}  // namespace
