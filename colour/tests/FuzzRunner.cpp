#include "FuzzRunner.h"

#include "PreviewBlock.h"

#include <climits>
#include <vector>

namespace colourtest {
namespace {

// Buffers larger than this are not allocated: such blocks are skipped. The
// bound keeps one call to a few milliseconds even in the sanitizer build.
constexpr int64_t kMaxTestBytes = 256 << 10;

// Bulk data (pixels, curve tables) from one drawn word, so that a call
// costs the same whether the words come from a generator or fuzzer bytes.
template <typename T>
void FillFrom(uint32_t seed, T *data, size_t count, uint32_t mask) {
    uint32_t x = seed | 1;
    for (size_t i = 0; i < count; ++i) {
        x = x * 1664525u + 1013904223u;
        data[i] = static_cast<T>((x >> 8) & mask);
    }
}

constexpr int32_t kExtremes[] = {0,       -1,    1, INT_MIN, INT_MAX, 65536,
                                 1 << 20, 46341, 2, 255,     256,     18};

std::string Describe(const char *name, const SC_PREVIEWPARAM &p, int rc) {
    return std::string(name) + " returned " + std::to_string(rc) + " for src " +
           std::to_string(p.srcWidth) + "x" + std::to_string(p.srcHeight) + " area " +
           std::to_string(p.areaLeft) + "," + std::to_string(p.areaTop) + " " +
           std::to_string(p.areaWidth) + "x" + std::to_string(p.areaHeight) + " out " +
           std::to_string(p.outWidth) + "x" + std::to_string(p.outHeight) + " gamma " +
           std::to_string(p.gamma) + " levels " + std::to_string(p.shadow) + ".." +
           std::to_string(p.highlight);
}

}  // namespace

// Mostly plausible small values, sometimes an extreme, sometimes raw bits.
int32_t CFuzzRunner::Field(int32_t smallMin, int32_t smallMax) {
    const uint32_t pick = next_() % 16;
    if (pick == 0)
        return static_cast<int32_t>(next_());
    if (pick == 1)
        return kExtremes[next_() % (sizeof kExtremes / sizeof kExtremes[0])];
    return smallMin +
           static_cast<int32_t>(next_() % static_cast<uint32_t>(smallMax - smallMin + 1));
}

SC_PREVIEWPARAM CFuzzRunner::Block() {
    SC_PREVIEWPARAM p = NeutralBlock(1, 1);
    p.srcWidth = Field(-1, 40);
    p.srcHeight = Field(-1, 30);
    // Mostly an area inside the image, sometimes any values at all.
    const bool inside = next_() % 4 != 0 && p.srcWidth > 0 && p.srcHeight > 0 &&
                        p.srcWidth <= 4096 && p.srcHeight <= 4096;
    if (inside) {
        p.areaLeft = static_cast<int32_t>(next_() % static_cast<uint32_t>(p.srcWidth));
        p.areaTop = static_cast<int32_t>(next_() % static_cast<uint32_t>(p.srcHeight));
        p.areaWidth =
            1 + static_cast<int32_t>(next_() % static_cast<uint32_t>(p.srcWidth - p.areaLeft));
        p.areaHeight =
            1 + static_cast<int32_t>(next_() % static_cast<uint32_t>(p.srcHeight - p.areaTop));
    } else {
        p.areaLeft = Field(-2, 20);
        p.areaTop = Field(-2, 20);
        p.areaWidth = Field(-1, 40);
        p.areaHeight = Field(-1, 30);
    }
    const bool scale = next_() % 3 == 0;
    p.outWidth = scale ? Field(-1, 60) : 0;
    p.outHeight = scale ? Field(-1, 60) : 0;
    p.sharpSwitch1 = Field(0, 1);
    p.sharpSwitch2 = Field(0, 1);
    p.sharpMode = Field(0, 2);
    p.sharpStrength = Field(-1, 5);
    p.adjust1 = Field(-150, 150);
    p.adjust2 = Field(-150, 150);
    p.adjust3 = Field(-150, 150);
    p.gamma = next_() % 2 ? 18 : Field(-2, 40);
    p.highlight = next_() % 2 ? 255 : Field(-2, 260);
    p.shadow = next_() % 2 ? 0 : Field(-2, 260);
    p.curveSwitch = Field(0, 1);
    if (p.curveSwitch != 0)
        FillFrom(next_(), p.curve, SC_CURVE_ENTRIES, next_() % 2 ? 0x0FFF : 0xFFFF);
    return p;
}

std::string CFuzzRunner::RunPreview(int which) {
    const PreviewExport &e = kPreviewExports[which];
    const SC_PREVIEWPARAM p = Block();
    const bool accepted = ExpectAccepted(p, e.channels, e.usesTone);
    const int64_t inBytes = ImageBytes(p.srcWidth, p.srcHeight, e.channels);
    const int64_t outBytes = OutputBytes(p, e.channels);
    if (accepted && (inBytes > kMaxTestBytes || outBytes > kMaxTestBytes))
        return {};
    // A refused block gets one-byte buffers: any access past them is caught.
    std::vector<uint8_t> in(accepted ? static_cast<size_t>(inBytes) : 1, 0x5A);
    std::vector<uint8_t> out(accepted ? static_cast<size_t>(outBytes) : 1);
    FillFrom(next_(), in.data(), in.size(), 0xFF);
    const int rc = e.fn(out.data(), in.data(), &p);
    ++(accepted ? this->accepted : refused);
    return rc == (accepted ? 0 : -1) ? std::string() : Describe(e.name, p, rc);
}

std::string CFuzzRunner::RunSpot(int bytesPerPixel) {
    SC_SPOTPARAM s = SpotBlock(Field(-1, 20), Field(-1, 20), Field(-4, 22), Field(-4, 22));
    s.curveSwitch = Field(0, 1);
    FillFrom(next_(), s.curve, SC_CURVE_ENTRIES, 0xFFFF);
    const int64_t bytes = ImageBytes(s.width, s.height, bytesPerPixel);
    const bool accepted = bytes > 0 && s.x >= 0 && s.y >= 0 && s.x < s.width && s.y < s.height &&
                          bytes < (int64_t{1} << 31);
    if (accepted && bytes > kMaxTestBytes)
        return {};
    std::vector<uint8_t> in(accepted ? static_cast<size_t>(bytes) : 1, 0x33);
    const int rc =
        bytesPerPixel == 3 ? SC_proc_spoitL(in.data(), &s) : SC_grayproc_spoitL(in.data(), &s);
    ++(accepted ? this->accepted : refused);
    const bool ok = accepted ? rc >= 0 && rc <= 255 : rc == -1;
    return ok ? std::string()
              : "spot returned " + std::to_string(rc) + " for " + std::to_string(s.width) + "x" +
                    std::to_string(s.height) + " at " + std::to_string(s.x) + "," +
                    std::to_string(s.y);
}

std::string CFuzzRunner::RunOne() {
    const uint32_t which = next_() % 6;
    if (which < 4)
        return RunPreview(static_cast<int>(which));
    return RunSpot(which == 4 ? 3 : 1);
}

}  // namespace colourtest
