#include "PreviewBlock.h"

#include <cstdint>
#include <cstring>
#include <random>

namespace colourtest {

const PreviewExport kPreviewExports[4] = {{"SC_preview", SC_preview, 3, true},
                                          {"SC_ICCpreview", SC_ICCpreview, 3, false},
                                          {"SC_sRGBpreview", SC_sRGBpreview, 3, false},
                                          {"SC_Graypreview", SC_Graypreview, 1, true}};

namespace {

void IdentityCurve(uint16_t *curve) {
    for (int i = 0; i < SC_CURVE_ENTRIES; ++i)
        curve[i] = static_cast<uint16_t>(i);
}

}  // namespace

int64_t ImageBytes(int32_t width, int32_t height, int channels) {
    if (width <= 0 || height <= 0)
        return -1;
    // Saturates instead of overflowing: 2^31 * 2^31 * 3 exceeds 64 bits.
    const int64_t pixels = int64_t{width} * height;
    return pixels > INT64_MAX / channels ? INT64_MAX : pixels * channels;
}

SC_PREVIEWPARAM NeutralBlock(int width, int height) {
    SC_PREVIEWPARAM p;
    std::memset(&p, 0, sizeof p);
    p.srcWidth = width;
    p.srcHeight = height;
    p.areaWidth = width;
    p.areaHeight = height;
    p.sharpMode = 2;
    p.sharpStrength = 2;
    p.gamma = 18;
    p.highlight = 255;
    IdentityCurve(p.curve);
    return p;
}

SC_PREVIEWPARAM AreaBlock(int width, int height, int left, int top, int areaWidth, int areaHeight) {
    SC_PREVIEWPARAM p = NeutralBlock(width, height);
    p.areaLeft = left;
    p.areaTop = top;
    p.areaWidth = areaWidth;
    p.areaHeight = areaHeight;
    return p;
}

SC_SPOTPARAM SpotBlock(int width, int height, int x, int y) {
    // Built as a preview block, as a preview tool passes its one block to
    // the spot functions too.
    const SC_PREVIEWPARAM b = AreaBlock(width, height, x, y, 1, 1);
    SC_SPOTPARAM p;
    static_assert(sizeof p == sizeof b);
    std::memcpy(&p, &b, sizeof p);
    return p;
}

void TurnEverythingOn(SC_PREVIEWPARAM &p) {
    p.sharpMode = 1;
    p.sharpSwitch1 = 1;
    p.sharpStrength = 3;
    p.adjust1 = 35;
    p.adjust2 = -20;
    p.adjust3 = 15;
    p.gamma = 22;
    p.highlight = 235;
    p.shadow = 12;
    p.curveSwitch = 1;
    for (int i = 0; i < SC_CURVE_ENTRIES; ++i)
        p.curve[i] = static_cast<uint16_t>(i + (4095 - i) * i / 16380);
}

int64_t OutputBytes(const SC_PREVIEWPARAM &p, int channels) {
    const bool area = p.outWidth == 0 && p.outHeight == 0;
    const int64_t h = area ? p.areaHeight : p.outHeight;
    const int64_t row = ImageBytes(area ? p.areaWidth : p.outWidth, 1, channels);
    if (row < 0 || h <= 0)
        return -1;
    if (row >= (int64_t{1} << 31))
        return row;  // too large already; the product could overflow
    return (row + 3) / 4 * 4 * h;
}

bool ExpectAccepted(const SC_PREVIEWPARAM &p, int channels, bool usesTone) {
    const int64_t sw = p.srcWidth, sh = p.srcHeight;
    const int64_t image = ImageBytes(p.srcWidth, p.srcHeight, channels);
    if (image < 0 || image >= (int64_t{1} << 31))
        return false;
    const int64_t l = p.areaLeft, t = p.areaTop, w = p.areaWidth, h = p.areaHeight;
    if (l < 0 || t < 0 || w < 1 || h < 1 || l + w > sw || t + h > sh)
        return false;
    const int64_t out = OutputBytes(p, channels);
    if (out < 0 || out >= (int64_t{1} << 31))
        return false;
    const bool neutralTone = p.gamma == 18 && p.highlight == 255 && p.shadow == 0;
    if (usesTone && !neutralTone)
        return p.gamma > 0 && p.shadow != p.highlight;
    return true;
}

std::vector<uint8_t> NoiseImage(size_t bytes, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(bytes);
    for (auto &b : v)
        b = static_cast<uint8_t>(rng() >> 24);
    return v;
}

}  // namespace colourtest
