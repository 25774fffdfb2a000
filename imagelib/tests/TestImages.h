#pragma once
// Deterministic test pages: the asymmetric "F", random noise, stripes and
// long runs, as rows in the library's layout (bilevel 1 = white).
#include <cstdint>
#include <random>
#include <vector>

namespace corv::test {

struct TestPage {
    int pixelType = 1;  // 1 bilevel, 2 gray, 3 RGB
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rows;  // packed rows, top first

    int RowBytes() const {
        return pixelType == 1 ? (width + 7) / 8 : pixelType == 2 ? width : width * 3;
    }
    bool Black(int x, int y) const {
        return !((rows[size_t(y) * RowBytes() + x / 8] >> (7 - x % 8)) & 1);
    }
};

enum class Pattern { White, Black, Stripes, Checker, Random, F, LongRuns };

inline uint8_t FNoise(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<uint8_t>(h ^ (h >> 16));
}

// Whether pixel (x, y) is ink in the given pattern.
inline bool Ink(Pattern p, int x, int y, int w, int h) {
    switch (p) {
        case Pattern::White:
            return false;
        case Pattern::Black:
            return true;
        case Pattern::Stripes:
            return x % 2 == 0;
        case Pattern::Checker:
            return (x + y) % 2 == 0;
        case Pattern::Random:
            return FNoise(x, y, 1) & 1;
        case Pattern::F: {
            int u = x * 8 / (w ? w : 1), v = y * 10 / (h ? h : 1);
            return u >= 2 && u <= 5 &&
                   (v == 1 || (v == 4 && u <= 4) || (u == 2 && v >= 1 && v <= 8));
        }
        case Pattern::LongRuns: {
            // Rows alternate between long white, long black and mixed lengths
            // around the make-up code boundaries.
            static const int kRuns[] = {1,    63,   64,   65,   127,  128,  1727, 1728,
                                        1729, 1791, 1792, 2559, 2560, 2561, 2623, 5130};
            int r = kRuns[(y / 2) % 16];
            return ((x / r) + y) % 2 == 1;
        }
    }
    return false;
}

inline TestPage MakePage(int pixelType, int width, int height, Pattern p) {
    TestPage page;
    page.pixelType = pixelType;
    page.width = width;
    page.height = height;
    page.rows.assign(size_t(page.RowBytes()) * height, pixelType == 1 ? 0xFF : 0);
    for (int y = 0; y < height; ++y) {
        uint8_t *row = page.rows.data() + size_t(y) * page.RowBytes();
        for (int x = 0; x < width; ++x) {
            bool ink = Ink(p, x, y, width, height);
            if (pixelType == 1) {
                if (ink)
                    row[x / 8] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
            } else if (pixelType == 2) {
                row[x] = ink ? static_cast<uint8_t>(FNoise(x, y, 2) & 0x3F)
                             : static_cast<uint8_t>(200 + (x + y) % 50);
            } else {
                for (int c = 0; c < 3; ++c)
                    row[x * 3 + c] = ink ? static_cast<uint8_t>(c * 80 + (FNoise(x, y, c) & 0x1F))
                                         : static_cast<uint8_t>(255 - c * 30 - (y % 7));
            }
        }
    }
    return page;
}

inline uint64_t Fnv1a(const std::vector<uint8_t> &bytes) {
    uint64_t h = 14695981039346656037ull;
    for (uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

}  // namespace corv::test
