// Pinned output hashes: a fixed image through every export with every
// adjustment on. Any change of the bytes written shows here at once, and the
// Windows build must produce the same bytes as the native one.
#include "PreviewBlock.h"
#include "corvcolor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using colourtest::AreaBlock;
using colourtest::kPreviewExports;
using colourtest::NoiseImage;

namespace {

uint32_t Fnv1a(const std::vector<uint8_t> &bytes) {
    uint32_t h = 2166136261u;
    for (uint8_t b : bytes)
        h = (h ^ b) * 16777619u;
    return h;
}

SC_PREVIEWPARAM EverythingOn() {
    SC_PREVIEWPARAM p = AreaBlock(23, 17, 3, 2, 15, 13);
    p.outWidth = 19;
    p.outHeight = 11;
    colourtest::TurnEverythingOn(p);
    return p;
}

TEST(Golden, EveryExportWithEveryAdjustment) {
    const uint32_t expected[4] = {308251322u, 2638519242u, 1966816564u, 856643845u};
    const SC_PREVIEWPARAM p = EverythingOn();
    for (int i = 0; i < 4; ++i) {
        const auto &e = kPreviewExports[i];
        const auto in = NoiseImage(23 * 17 * e.channels, 99);
        std::vector<uint8_t> out(static_cast<size_t>(colourtest::OutputBytes(p, e.channels)));
        ASSERT_EQ(e.fn(out.data(), in.data(), &p), 0) << e.name;
        EXPECT_EQ(Fnv1a(out), expected[i]) << e.name;
    }
}

}  // namespace
