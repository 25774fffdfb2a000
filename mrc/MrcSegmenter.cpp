#include "MrcSegmenter.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace corv::mrc {
namespace {

struct Run {
    int y, x0, x1;  // x1 inclusive
};

struct Group {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    int64_t pixels = 0;
    int solid = -1;  // blocks at least half covered; counted for large groups only
    int occupied = 0;
};

struct Rect {
    int x0, y0, x1, y1;
    bool Holds(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

int Find(std::vector<int> &parent, int i) {
    while (parent[i] != i)
        i = parent[i] = parent[parent[i]];
    return i;
}

void Unite(std::vector<int> &parent, int a, int b) {
    a = Find(parent, a);
    b = Find(parent, b);
    if (a != b)
        parent[std::max(a, b)] = std::min(a, b);
}

int Scaled(double dpi, double atThreeHundred, int least) {
    return std::max(least, static_cast<int>(std::lround(atThreeHundred * dpi / 300.0)));
}

// Counts the blocks each group too large for a glyph covers, and those it
// covers at least half; such groups are few.
void CountSolidBlocks(const std::vector<Run> &runs, std::vector<int> &parent,
                      std::vector<Group> &groups, int b, int maxGlyph) {
    std::vector<std::vector<int>> cover(groups.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        const int root = Find(parent, int(i));
        Group &g = groups[root];
        const int w = g.maxX - g.minX + 1, h = g.maxY - g.minY + 1;
        if (w <= maxGlyph && h <= maxGlyph)
            continue;
        const int bw = w / b + 2;
        std::vector<int> &c = cover[root];
        if (c.empty())
            c.assign(size_t(bw) * (h / b + 2), 0);
        const Run &r = runs[i];
        const int by = (r.y - g.minY) / b;
        for (int x = r.x0; x <= r.x1;) {
            const int bx = (x - g.minX) / b;
            const int end = std::min(r.x1, g.minX + (bx + 1) * b - 1);
            c[size_t(by) * bw + bx] += end - x + 1;
            x = end + 1;
        }
    }
    for (size_t root = 0; root < groups.size(); ++root) {
        if (cover[root].empty())
            continue;
        Group &g = groups[root];
        g.solid = 0;
        for (int n : cover[root]) {
            g.occupied += n > 0;
            g.solid += n * 2 >= b * b;
        }
    }
}

}  // namespace

CMrcSegmenter::CMrcSegmenter(double dpi)
    // The paper estimate's block and the mark limits follow the resolution so
    // that a page means the same at 200 dpi as at 600 dpi.
    : m_block(std::clamp(Scaled(dpi, 16, 4), 4, 64)),
      m_minMark(Scaled(dpi * dpi / 300.0, 6, 2)),
      m_maxGlyph(Scaled(dpi, 300, 24)),
      m_maxLine(Scaled(dpi, 14, 2)) {}

void CMrcSegmenter::LumaRow(const uint8_t *pixels, int width, int samples, uint8_t *out) {
    if (samples == 1) {
        std::copy(pixels, pixels + width, out);
        return;
    }
    for (int x = 0; x < width; ++x) {
        const uint8_t *p = pixels + size_t(x) * 3;
        out[x] = static_cast<uint8_t>((77 * p[0] + 150 * p[1] + 29 * p[2] + 128) >> 8);
    }
}

void CMrcSegmenter::UpperMeans(const uint8_t *band, int width, int rows, int *out) const {
    // Per block, the mean of its brighter half: the paper where there is text,
    // little moved by noise.
    const int b = m_block;
    for (int x0 = 0, bx = 0; x0 < width; x0 += b, ++bx) {
        const int x1 = std::min(width, x0 + b);
        int64_t sum = 0;
        for (int y = 0; y < rows; ++y)
            for (int x = x0; x < x1; ++x)
                sum += band[size_t(y) * width + x];
        const int64_t n = int64_t(x1 - x0) * rows;
        int64_t hiSum = 0, hiN = 0;
        for (int y = 0; y < rows; ++y)
            for (int x = x0; x < x1; ++x) {
                const int v = band[size_t(y) * width + x];
                if (int64_t(v) * n >= sum)
                    hiSum += v, ++hiN;
            }
        out[bx] = hiN ? int(hiSum / hiN) : int(sum / n);
    }
}

PaperGrid CMrcSegmenter::Paper(const std::vector<int> &upper, int bw, int bh) const {
    // The brightest block within reach covers the inside of bold strokes
    // wider than a block; a mean over the neighbours then smooths the steps.
    const int reach = 2;
    std::vector<int> peak(upper.size());
    for (int by = 0; by < bh; ++by)
        for (int bx = 0; bx < bw; ++bx) {
            int m = 0;
            for (int y = std::max(0, by - reach); y <= std::min(bh - 1, by + reach); ++y)
                for (int x = std::max(0, bx - reach); x <= std::min(bw - 1, bx + reach); ++x)
                    m = std::max(m, upper[size_t(y) * bw + x]);
            peak[size_t(by) * bw + bx] = m;
        }
    PaperGrid paper{m_block, bw, bh, std::vector<uint8_t>(upper.size())};
    for (int by = 0; by < bh; ++by)
        for (int bx = 0; bx < bw; ++bx) {
            int sum = 0, n = 0;
            for (int y = std::max(0, by - 1); y <= std::min(bh - 1, by + 1); ++y)
                for (int x = std::max(0, bx - 1); x <= std::min(bw - 1, bx + 1); ++x)
                    sum += peak[size_t(y) * bw + x], ++n;
            paper.level[size_t(by) * bw + bx] = static_cast<uint8_t>(sum / n);
        }
    return paper;
}

void CMrcSegmenter::ThresholdRow(const PaperGrid &paper, int y, const uint8_t *luma, int width,
                                 uint8_t *out) const {
    const int b = paper.block, bw = paper.width, bh = paper.height;
    // Bilinear between block centres, so the threshold has no steps.
    const double fy = std::clamp((y + 0.5) / b - 0.5, 0.0, double(bh - 1));
    const int y0 = static_cast<int>(fy), y1 = std::min(bh - 1, y0 + 1);
    const double wy = fy - y0;
    const uint8_t *top = &paper.level[size_t(y0) * bw];
    const uint8_t *bottom = &paper.level[size_t(y1) * bw];
    for (int x = 0; x < width; ++x) {
        const double fx = std::clamp((x + 0.5) / b - 0.5, 0.0, double(bw - 1));
        const int x0 = static_cast<int>(fx), x1 = std::min(bw - 1, x0 + 1);
        const double wx = fx - x0;
        const double upper = top[x0] * (1 - wx) + top[x1] * wx;
        const double lower = bottom[x0] * (1 - wx) + bottom[x1] * wx;
        const int level = static_cast<int>(upper * (1 - wy) + lower * wy);
        const int limit = std::min(level * kDarkPercent / 100, level - kMinContrast);
        out[x] = luma[x] < limit ? 1 : 0;
    }
}

std::vector<uint8_t> CMrcSegmenter::Threshold(const uint8_t *luma, int width, int height) const {
    const int b = m_block;
    const int bw = (width + b - 1) / b, bh = (height + b - 1) / b;
    std::vector<int> upper(size_t(bw) * bh);
    for (int by = 0; by < bh; ++by)
        UpperMeans(luma + size_t(by) * b * width, width, std::min(b, height - by * b),
                   &upper[size_t(by) * bw]);
    const PaperGrid paper = Paper(upper, bw, bh);
    std::vector<uint8_t> mask(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        ThresholdRow(paper, y, luma + size_t(y) * width, width, &mask[size_t(y) * width]);
    return mask;
}

MaskStats CMrcSegmenter::Clean(std::vector<uint8_t> &mask, int width, int height) const {
    std::vector<Run> runs;
    std::vector<size_t> rowStart(size_t(height) + 1);
    for (int y = 0; y < height; ++y) {
        rowStart[y] = runs.size();
        const uint8_t *row = &mask[size_t(y) * width];
        for (int x = 0; x < width;) {
            if (!row[x]) {
                ++x;
                continue;
            }
            int e = x;
            while (e + 1 < width && row[e + 1])
                ++e;
            runs.push_back({y, x, e});
            x = e + 1;
        }
    }
    rowStart[height] = runs.size();

    std::vector<int> parent(runs.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (int y = 1; y < height; ++y) {
        size_t q = rowStart[y - 1];
        for (size_t r = rowStart[y]; r < rowStart[y + 1]; ++r) {
            // Eight-connected: runs touching diagonally belong together.
            while (q < rowStart[y] && runs[q].x1 < runs[r].x0 - 1)
                ++q;
            for (size_t k = q; k < rowStart[y] && runs[k].x0 <= runs[r].x1 + 1; ++k)
                Unite(parent, int(r), int(k));
        }
    }

    std::vector<Group> groups(runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        Group &g = groups[Find(parent, int(i))];
        const Run &r = runs[i];
        g.minX = std::min(g.minX, r.x0);
        g.maxX = std::max(g.maxX, r.x1);
        g.minY = std::min(g.minY, r.y);
        g.maxY = std::max(g.maxY, r.y);
        g.pixels += r.x1 - r.x0 + 1;
    }
    CountSolidBlocks(runs, parent, groups, m_block, m_maxGlyph);

    MaskStats stats;
    enum : uint8_t { kKeep, kDrop };
    std::vector<uint8_t> verdict(runs.size(), kKeep);
    std::vector<Rect> pictures;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (Find(parent, int(i)) != int(i))
            continue;
        const Group &g = groups[i];
        const int w = g.maxX - g.minX + 1, h = g.maxY - g.minY + 1;
        if (g.pixels < m_minMark) {
            verdict[i] = kDrop, ++stats.specks;
        } else if (w <= m_maxGlyph && h <= m_maxGlyph) {
            ++stats.kept;
        } else if (std::min(w, h) <= m_maxLine ||
                   (double(g.pixels) / (double(w) * h) <= kMaxLineArtDensity &&
                    g.solid * 100 <= g.occupied * kMaxSolidPercent)) {
            ++stats.kept;  // rules, frames, drawings
        } else {
            verdict[i] = kDrop, ++stats.pictures;
            pictures.push_back(
                {g.minX - m_block, g.minY - m_block, g.maxX + m_block, g.maxY + m_block});
        }
    }
    // Whatever lies inside a picture is part of it: its lighter details would
    // otherwise come out as a spray of marks.
    if (!pictures.empty())
        for (size_t i = 0; i < runs.size(); ++i) {
            if (Find(parent, int(i)) != int(i) || verdict[i] == kDrop)
                continue;
            const Group &g = groups[i];
            const int cx = (g.minX + g.maxX) / 2, cy = (g.minY + g.maxY) / 2;
            if (std::any_of(pictures.begin(), pictures.end(),
                            [&](const Rect &r) { return r.Holds(cx, cy); }))
                verdict[i] = kDrop, --stats.kept;
        }
    for (size_t i = 0; i < runs.size(); ++i)
        if (verdict[Find(parent, int(i))] == kDrop)
            std::fill_n(&mask[size_t(runs[i].y) * width + runs[i].x0], runs[i].x1 - runs[i].x0 + 1,
                        uint8_t{0});
    return stats;
}

}  // namespace corv::mrc
