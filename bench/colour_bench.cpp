// Throughput of SC_preview on a 1000 x 1400 area with every adjustment on:
// sharpening, curve, tone, hue/saturation/lightness, table conversion and
// scaling to a display size. Prints megapixels of area per second.
#include "PreviewBlock.h"
#include "corvcolor.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

int main(int argc, char **argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int srcW = 1200, srcH = 1600, areaW = 1000, areaH = 1400;
    std::vector<uint8_t> in(static_cast<size_t>(srcW) * srcH * 3);
    std::mt19937 rng(1);
    for (auto &b : in)
        b = static_cast<uint8_t>(rng() >> 24);

    SC_PREVIEWPARAM p = colourtest::AreaBlock(srcW, srcH, 100, 100, areaW, areaH);
    p.outWidth = 800;
    p.outHeight = 1120;
    colourtest::TurnEverythingOn(p);
    std::vector<uint8_t> out(static_cast<size_t>((p.outWidth * 3 + 3) & ~3) * p.outHeight);

    if (SC_preview(out.data(), in.data(), &p) != 0) {
        std::fprintf(stderr, "SC_preview refused the block\n");
        return 1;
    }
    // Wall time of the best round, and processor time over all rounds (the
    // steadier figure on a machine shared with other work).
    double best = 1e30;
    const std::clock_t c0 = std::clock();
    for (int r = 0; r < rounds; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        SC_preview(out.data(), in.data(), &p);
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    }
    const double cpu = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC / rounds;
    const double mp = areaW * static_cast<double>(areaH) / 1e6;
    std::printf(
        "SC_preview all adjustments, %dx%d area: best %.2f ms (%.1f MP/s wall), "
        "%.2f ms CPU per call (%.1f MP/s)\n",
        areaW, areaH, best * 1e3, mp / best, cpu * 1e3, mp / cpu);
    return 0;
}
