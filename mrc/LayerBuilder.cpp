#include "LayerBuilder.h"

#include <algorithm>
#include <cmath>

namespace corv::mrc {
namespace {

MrcPlane NewPlane(int width, int height, int samples, int scale) {
    MrcPlane p;
    p.width = (width + scale - 1) / scale;
    p.height = (height + scale - 1) / scale;
    p.samples = samples;
    p.pixels.assign(size_t(p.width) * p.height * samples, 255);
    return p;
}

}  // namespace

CLayerBuilder::CLayerBuilder(double dpi)
    : m_halo(std::max(1, static_cast<int>(std::lround(dpi / 150.0)))) {}

std::vector<uint8_t> CLayerBuilder::Dilate(const std::vector<uint8_t> &mask, int width, int height,
                                           int radius) {
    std::vector<uint8_t> rows(mask.size());
    for (int y = 0; y < height; ++y) {
        const uint8_t *in = &mask[size_t(y) * width];
        uint8_t *out = &rows[size_t(y) * width];
        int last = -radius - 1;  // column of the latest 1 seen
        for (int x = 0; x < width + radius; ++x) {
            if (x < width && in[x])
                last = x;
            const int at = x - radius;
            if (at >= 0 && at < width) {
                // A 1 within radius on the right is caught by `last`; one on
                // the left was seen up to 2*radius columns before.
                out[at] = (x - last <= 2 * radius) ? 1 : 0;
            }
        }
    }
    std::vector<uint8_t> out(mask.size());
    for (int x = 0; x < width; ++x) {
        int last = -radius - 1;
        for (int y = 0; y < height + radius; ++y) {
            if (y < height && rows[size_t(y) * width + x])
                last = y;
            const int at = y - radius;
            if (at >= 0 && at < height)
                out[size_t(at) * width + x] = (y - last <= 2 * radius) ? 1 : 0;
        }
    }
    return out;
}

void CLayerBuilder::FillUnknown(MrcPlane &plane, std::vector<uint8_t> known) {
    const int w = plane.width, h = plane.height, s = plane.samples;
    if (std::all_of(known.begin(), known.end(), [](uint8_t k) { return k != 0; }))
        return;
    if (w <= 1 && h <= 1) {
        std::fill(plane.pixels.begin(), plane.pixels.end(), uint8_t{255});
        return;
    }
    MrcPlane coarse;
    coarse.width = (w + 1) / 2;
    coarse.height = (h + 1) / 2;
    coarse.samples = s;
    coarse.pixels.assign(size_t(coarse.width) * coarse.height * s, 255);
    std::vector<uint8_t> coarseKnown(size_t(coarse.width) * coarse.height, 0);
    for (int cy = 0; cy < coarse.height; ++cy)
        for (int cx = 0; cx < coarse.width; ++cx) {
            int sum[3] = {0, 0, 0}, n = 0;
            for (int y = cy * 2; y < std::min(h, cy * 2 + 2); ++y)
                for (int x = cx * 2; x < std::min(w, cx * 2 + 2); ++x)
                    if (known[size_t(y) * w + x]) {
                        ++n;
                        for (int c = 0; c < s; ++c)
                            sum[c] += plane.pixels[(size_t(y) * w + x) * s + c];
                    }
            if (n) {
                coarseKnown[size_t(cy) * coarse.width + cx] = 1;
                for (int c = 0; c < s; ++c)
                    coarse.pixels[(size_t(cy) * coarse.width + cx) * s + c] =
                        static_cast<uint8_t>((sum[c] + n / 2) / n);
            }
        }
    FillUnknown(coarse, std::move(coarseKnown));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!known[size_t(y) * w + x])
                for (int c = 0; c < s; ++c)
                    plane.pixels[(size_t(y) * w + x) * s + c] =
                        coarse.pixels[(size_t(y / 2) * coarse.width + x / 2) * s + c];
}

void CLayerBuilder::Begin(int width, int height, int samples, std::vector<uint8_t> mask) {
    m_layers = MrcLayers();
    m_layers.width = width;
    m_layers.height = height;
    m_layers.background = NewPlane(width, height, samples, kBackgroundScale);
    m_layers.foreground = NewPlane(width, height, samples, kForegroundScale);
    m_ring = Dilate(mask, width, height, m_halo);
    m_layers.mask = std::move(mask);
    m_samples = samples;
    m_row = 0;
    const MrcPlane &bg = m_layers.background, &fg = m_layers.foreground;
    m_bgSum.assign(size_t(bg.width) * bg.height * samples, 0);
    m_bgCount.assign(size_t(bg.width) * bg.height, 0);
    m_fgSum.assign(size_t(fg.width) * fg.height * samples, 0.0);
    m_fgWeight.assign(size_t(fg.width) * fg.height, 0.0);
}

void CLayerBuilder::AddRows(const uint8_t *pixels, int count) {
    const int width = m_layers.width, samples = m_samples;
    const int bgWidth = m_layers.background.width, fgWidth = m_layers.foreground.width;
    count = std::min(count, m_layers.height - m_row);
    for (int r = 0; r < count; ++r, ++m_row) {
        const int y = m_row;
        const int by = y / kBackgroundScale, fy = y / kForegroundScale;
        const uint8_t *row = pixels + size_t(r) * width * samples;
        for (int x = 0; x < width; ++x) {
            const size_t i = size_t(y) * width + x;
            const uint8_t *p = row + size_t(x) * samples;
            if (!m_ring[i]) {
                const size_t cell = size_t(by) * bgWidth + x / kBackgroundScale;
                ++m_bgCount[cell];
                for (int c = 0; c < samples; ++c)
                    m_bgSum[cell * samples + c] += p[c];
            }
            if (m_layers.mask[i]) {
                const size_t cell = size_t(fy) * fgWidth + x / kForegroundScale;
                const int luma = samples == 1 ? p[0] : (77 * p[0] + 150 * p[1] + 29 * p[2]) >> 8;
                // The mark's edge pixels are mixed with paper; weighting the
                // darker ones keeps the colour from fading.
                const double weight = double(256 - luma) * (256 - luma) * (256 - luma);
                m_fgWeight[cell] += weight;
                for (int c = 0; c < samples; ++c)
                    m_fgSum[cell * samples + c] += weight * p[c];
            }
        }
    }
}

MrcLayers CLayerBuilder::Finish() {
    const int samples = m_samples;
    MrcPlane &bg = m_layers.background, &fg = m_layers.foreground;
    std::vector<uint8_t> bgKnown(m_bgCount.size()), fgKnown(m_fgWeight.size());
    for (size_t cell = 0; cell < m_bgCount.size(); ++cell)
        if (m_bgCount[cell]) {
            bgKnown[cell] = 1;
            for (int c = 0; c < samples; ++c)
                bg.pixels[cell * samples + c] = static_cast<uint8_t>(
                    (m_bgSum[cell * samples + c] + m_bgCount[cell] / 2) / m_bgCount[cell]);
        }
    for (size_t cell = 0; cell < m_fgWeight.size(); ++cell)
        if (m_fgWeight[cell] > 0) {
            fgKnown[cell] = 1;
            for (int c = 0; c < samples; ++c)
                fg.pixels[cell * samples + c] = static_cast<uint8_t>(std::clamp(
                    std::lround(m_fgSum[cell * samples + c] / m_fgWeight[cell]), 0L, 255L));
        }
    FillUnknown(bg, std::move(bgKnown));
    FillUnknown(fg, std::move(fgKnown));
    m_ring = {};
    m_bgSum = {};
    m_bgCount = {};
    m_fgSum = {};
    m_fgWeight = {};
    return std::move(m_layers);
}

MrcLayers CLayerBuilder::Build(const uint8_t *pixels, int width, int height, int samples,
                               std::vector<uint8_t> mask) {
    Begin(width, height, samples, std::move(mask));
    AddRows(pixels, height);
    return Finish();
}

}  // namespace corv::mrc
