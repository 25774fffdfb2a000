// SC_preview against the step-by-step pipeline it replaced: every stage on a
// whole image in turn (cut-out, curve, filter, tone, colour adjustment, table
// conversion, scaling). The streaming implementation must give the same
// bytes for every block, so the old stages live on here as the reference.
#include "ConversionTable.h"
#include "OutputWriter.h"
#include "PreviewBlock.h"
#include "PreviewGeometry.h"
#include "SharpenFilter.h"
#include "ToneTable.h"
#include "corvcolor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using corvcolor::CConversionTable;
using corvcolor::CImage8;
using corvcolor::CWork12;

// The filter as it ran on whole images: a direct 5 x 5 sum per sample with
// the edge of the widened cut-out repeated.
CWork12 ReferenceFilter(const corvcolor::CSharpenFilter &f, const CWork12 &wide, int offX, int offY,
                        int w, int h) {
    const int ch = wide.channels;
    CWork12 out(w, h, ch);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < ch; ++c) {
                int32_t sum = 0;
                for (int dy = -2; dy <= 2; ++dy)
                    for (int dx = -2; dx <= 2; ++dx) {
                        const int sy = std::clamp(y + offY + dy, 0, wide.height - 1);
                        const int sx = std::clamp(x + offX + dx, 0, wide.width - 1);
                        sum += f.Weight(dx, dy) * wide.Row(sy)[sx * ch + c];
                    }
                const int32_t v = sum <= 0 ? 0 : (sum + 500) / 1000;
                out.Row(y)[x * ch + c] = static_cast<uint16_t>(std::min(v, 4095));
            }
    return out;
}

// Hue, saturation and lightness with the coefficients rounded to 1/10000.
void ReferenceAdjust(int hue, int saturation, int lightness, CWork12 &img) {
    hue = std::clamp(hue, -1000, 1000);
    saturation = std::clamp(saturation, -1000, 1000);
    lightness = std::clamp(lightness, -1000, 1000);
    const double s = 1.0 + saturation * (saturation < 0 ? 0.002 : 0.003);
    const double angle = hue * 0.0034906585;
    const auto coef = [](double v) { return static_cast<int32_t>(std::lround(v * 10000)); };
    const int32_t k = coef(1.0 + lightness * 0.002), cs = coef(s * std::cos(angle)),
                  sn = coef(s * std::sin(angle));
    const int32_t centre = (128 * 4095 + 127) / 255;
    const auto scaled = [](int32_t v) {
        return static_cast<uint16_t>(std::min((std::max(v, 0) + 5000) / 10000, 4095));
    };
    for (size_t i = 0; i + 2 < img.samples.size(); i += 3) {
        uint16_t *p = &img.samples[i];
        const int32_t d1 = p[1] - centre, d2 = p[2] - centre;
        p[0] = scaled(k * p[0]);
        p[1] = scaled(centre * 10000 + cs * d1 - sn * d2);
        p[2] = scaled(centre * 10000 + sn * d1 + cs * d2);
    }
}

// Tetrahedral interpolation written out per tetrahedron from the nodes.
void ReferenceConvert(const uint8_t *ycc, uint8_t *bgr) {
    const auto &t = CConversionTable::Nodes();
    const int f[3] = {ycc[0] % 8, ycc[1] % 8, ycc[2] % 8};
    int order[3] = {0, 1, 2};
    // Falling inner position; ties keep the lower axis first.
    std::stable_sort(order, order + 3, [&f](int a, int b) { return f[a] > f[b]; });
    const int strides[3] = {33 * 33, 33, 1};
    const int base = CConversionTable::Index(ycc[0] / 8, ycc[1] / 8, ycc[2] / 8);
    const int idx[4] = {base, base + strides[order[0]],
                        base + strides[order[0]] + strides[order[1]],
                        base + strides[0] + strides[1] + strides[2]};
    const int w[4] = {8 - f[order[0]], f[order[0]] - f[order[1]], f[order[1]] - f[order[2]],
                      f[order[2]]};
    uint32_t r = 0, g = 0, b = 0;
    for (int i = 0; i < 4; ++i) {
        r += w[i] * t[idx[i]].r;
        g += w[i] * t[idx[i]].g;
        b += w[i] * t[idx[i]].b;
    }
    const auto byte = [](uint32_t v) {
        return static_cast<uint8_t>(std::min((v + 1024) >> 11, 255u));
    };
    bgr[0] = byte(b);
    bgr[1] = byte(g);
    bgr[2] = byte(r);
}

std::vector<uint8_t> ReferencePreview(const std::vector<uint8_t> &in, const SC_PREVIEWPARAM &p) {
    const bool filter = corvcolor::CSharpenFilter::IsRequested(p);
    corvcolor::CPreviewGeometry g;
    EXPECT_TRUE(g.Init(p, 3, filter));
    CWork12 area = g.Cut12(in.data(), p.curveSwitch != 0 ? p.curve : nullptr);
    if (filter)
        area = ReferenceFilter(corvcolor::CSharpenFilter::FromParam(p), area,
                               g.area.left - g.widened.left, g.area.top - g.widened.top,
                               g.area.width, g.area.height);
    if (corvcolor::CToneTable::IsRequested(p)) {
        const corvcolor::CToneTable tone(p, 0);
        for (uint16_t &v : area.samples)
            v = tone[v];
    }
    if (p.adjust1 != 0 || p.adjust2 != 0 || p.adjust3 != 0)
        ReferenceAdjust(p.adjust1, p.adjust2, p.adjust3, area);
    CImage8 rgb(area.width, area.height, 3);
    for (size_t i = 0; i < area.samples.size(); i += 3) {
        const uint8_t ycc[3] = {static_cast<uint8_t>(area.samples[i] >> 4),
                                static_cast<uint8_t>(area.samples[i + 1] >> 4),
                                static_cast<uint8_t>(area.samples[i + 2] >> 4)};
        ReferenceConvert(ycc, &rgb.samples[i]);
    }
    std::vector<uint8_t> out(static_cast<size_t>(colourtest::OutputBytes(p, 3)));
    corvcolor::COutputWriter::Write(rgb, g, out.data());
    return out;
}

// Pixels that walk every kind of input: noise, flat grey, smooth ramps in
// all three channels (neutral chroma included), and saturated extremes.
std::vector<uint8_t> TestImage(int w, int h, int kind, uint32_t seed) {
    std::vector<uint8_t> img = colourtest::NoiseImage(static_cast<size_t>(w) * h * 3, seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t *px = &img[(static_cast<size_t>(y) * w + x) * 3];
            if (kind == 1) {
                px[0] = static_cast<uint8_t>(x * 255 / std::max(w - 1, 1));
                px[1] = px[2] = 128;
            } else if (kind == 2) {
                px[0] = static_cast<uint8_t>(y * 255 / std::max(h - 1, 1));
                px[1] = static_cast<uint8_t>(x * 7);
                px[2] = static_cast<uint8_t>(255 - x * 5 - y);
            } else if (kind == 3) {
                for (int c = 0; c < 3; ++c)
                    px[c] = (px[c] & 1) != 0 ? 255 : 0;
            }
        }
    return img;
}

int32_t Pick(std::mt19937 &rng, std::initializer_list<int32_t> values) {
    return values.begin()[rng() % values.size()];
}

int32_t Between(std::mt19937 &rng, int32_t lo, int32_t hi) {
    return lo + static_cast<int32_t>(rng() % static_cast<uint32_t>(hi - lo + 1));
}

SC_PREVIEWPARAM RandomBlock(std::mt19937 &rng, int w, int h) {
    SC_PREVIEWPARAM p = colourtest::NeutralBlock(w, h);
    p.areaWidth = Between(rng, 1, w);
    p.areaHeight = Between(rng, 1, h);
    p.areaLeft = Between(rng, 0, w - p.areaWidth);
    p.areaTop = Between(rng, 0, h - p.areaHeight);
    switch (rng() % 4) {
        case 0:
            break;  // no scaling
        case 1:     // shrink
            p.outWidth = Between(rng, 1, p.areaWidth);
            p.outHeight = Between(rng, 1, p.areaHeight);
            break;
        default:  // any size, enlarging included
            p.outWidth = Between(rng, 1, 3 * p.areaWidth);
            p.outHeight = Between(rng, 1, 3 * p.areaHeight);
    }
    if (rng() % 4 != 0) {
        p.sharpMode = Pick(rng, {0, 1, 2, 3});
        p.sharpSwitch1 = Pick(rng, {0, 1, 0, -7});
        p.sharpSwitch2 = Pick(rng, {0, 0, 1});
        p.sharpStrength = Pick(rng, {0, 1, 2, 3, 4, -1, 5, 100});
    }
    const auto adjustment = [&rng] {
        return rng() % 3 == 0
                   ? 0
                   : Pick(rng, {Between(rng, -1000, 1000), -1000, 1000, -1, 1, -5000, 5000});
    };
    p.adjust1 = adjustment();
    p.adjust2 = adjustment();
    p.adjust3 = adjustment();
    if (rng() % 4 != 0) {
        p.gamma = Pick(rng, {Between(rng, 1, 60), 1, 18, 100, 1000});
        p.shadow = Pick(rng, {0, Between(rng, 0, 254), -50});
        p.highlight = Pick(rng, {255, Between(rng, 1, 255), 300});
        if (p.highlight == p.shadow)
            ++p.highlight;
    }
    p.curveSwitch = rng() % 2;
    const int curveKind = Between(rng, 0, 2);
    for (int i = 0; i < SC_CURVE_ENTRIES; ++i)
        p.curve[i] = static_cast<uint16_t>(curveKind == 0   ? 4095 - i
                                           : curveKind == 1 ? rng() % 5000
                                                            : i + (4095 - i) * i / 16380);
    return p;
}

TEST(ColourReference, StreamingPreviewMatchesTheStepwisePipeline) {
    std::mt19937 rng(5081);
    int filtered = 0, scaled = 0, adjusted = 0;
    for (int round = 0; round < 1500; ++round) {
        const int w = Between(rng, 1, round % 10 == 0 ? 90 : 24);
        const int h = Between(rng, 1, round % 10 == 0 ? 70 : 20);
        const auto in = TestImage(w, h, round % 4, static_cast<uint32_t>(round));
        const SC_PREVIEWPARAM p = RandomBlock(rng, w, h);
        std::vector<uint8_t> out(static_cast<size_t>(colourtest::OutputBytes(p, 3)), 0xAA);
        ASSERT_EQ(SC_preview(out.data(), in.data(), &p), 0) << "round " << round;
        ASSERT_EQ(out, ReferencePreview(in, p))
            << "round " << round << ": image " << w << "x" << h << " area " << p.areaLeft << ","
            << p.areaTop << " " << p.areaWidth << "x" << p.areaHeight << " out " << p.outWidth
            << "x" << p.outHeight << " filter " << p.sharpMode << "/" << p.sharpSwitch1 << "/"
            << p.sharpSwitch2 << "/" << p.sharpStrength << " adjust " << p.adjust1 << ","
            << p.adjust2 << "," << p.adjust3 << " tone " << p.gamma << "," << p.shadow << ".."
            << p.highlight << " curve " << p.curveSwitch;
        filtered += corvcolor::CSharpenFilter::IsRequested(p);
        scaled += p.outWidth != 0;
        adjusted += p.adjust1 != 0 || p.adjust2 != 0 || p.adjust3 != 0;
    }
    // Each stage must have been on in a good share of the rounds.
    EXPECT_GT(filtered, 900);
    EXPECT_GT(scaled, 900);
    EXPECT_GT(adjusted, 1000);
}

}  // namespace
