#include "TestPage.h"

#include "ImgOption.h"
#include "ImgParam.h"
#include "ImgToTIFF2.h"
#include "PnmReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

namespace corv::mrc::test {

uint8_t Raster::Luma(int x, int y) const {
    const uint8_t *p = &pixels[(size_t(y) * width + x) * samples];
    return samples == 1 ? p[0] : uint8_t((77 * p[0] + 150 * p[1] + 29 * p[2] + 128) >> 8);
}

bool LoadPnm(const std::string &path, Raster &out) {
    corvimg::PnmReader reader;
    if (!reader.Open(path) || reader.Format() == '4')
        return false;
    out.width = reader.Width();
    out.height = reader.Height();
    out.samples = reader.Format() == '6' ? 3 : 1;
    out.pixels.resize(reader.DataBytes());
    return reader.Read(out.pixels.data(), out.pixels.size()) == out.pixels.size();
}

bool SavePnm(const std::string &path, const Raster &image) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "P%c\n%d %d\n255\n", image.samples == 3 ? '6' : '5', image.width, image.height);
    const bool ok =
        std::fwrite(image.pixels.data(), 1, image.pixels.size(), f) == image.pixels.size();
    return std::fclose(f) == 0 && ok;
}

namespace {

Raster ToRgb(const Raster &in) {
    if (in.samples == 3)
        return in;
    Raster out{in.width, in.height, 3, std::vector<uint8_t>(in.pixels.size() * 3)};
    for (size_t i = 0; i < in.pixels.size(); ++i)
        std::fill_n(&out.pixels[i * 3], 3, in.pixels[i]);
    return out;
}

// The heading: the tallest of the first few blocks of text rows (a block
// runs from a row holding a dark pixel to the next fully light row).
Box HeadingBlock(const Raster &page) {
    auto dark = [&](int y) {
        for (int x = 0; x < page.width; ++x)
            if (page.Luma(x, y) < 128)
                return true;
        return false;
    };
    Box best{0, 0, page.width, 0};
    int y = 0;
    for (int block = 0; block < 4 && y < page.height; ++block) {
        while (y < page.height && !dark(y))
            ++y;
        const int top = y;
        while (y < page.height && dark(y))
            ++y;
        if (y - top > best.y1 - best.y0)
            best.y0 = top, best.y1 = y;
    }
    return best;
}

}  // namespace

ScannedPage MakeScannedPage(const Raster &rendered, uint32_t seed) {
    ScannedPage s;
    s.page = ToRgb(rendered);
    Raster &p = s.page;
    s.heading = HeadingBlock(p);
    // A dark red heading: ink mixed with paper as the rendering mixed black.
    for (int y = s.heading.y0; y < s.heading.y1; ++y)
        for (int x = 0; x < p.width; ++x) {
            uint8_t *px = &p.pixels[(size_t(y) * p.width + x) * 3];
            const double ink = 1.0 - px[0] / 255.0;
            px[0] = uint8_t(std::lround(255 - ink * (255 - 170)));
            px[1] = uint8_t(std::lround(255 - ink * (255 - 25)));
            px[2] = uint8_t(std::lround(255 - ink * (255 - 40)));
        }
    // A photo-like picture: smooth shapes of every brightness with fine grain.
    s.photo = {p.width * 52 / 100, p.height * 58 / 100, p.width * 92 / 100, p.height * 80 / 100};
    std::mt19937 rng(seed);
    std::normal_distribution<double> grain(0.0, 9.0), noise(0.0, 4.0);
    const double pi = 3.14159265358979;
    for (int y = s.photo.y0; y < s.photo.y1; ++y)
        for (int x = s.photo.x0; x < s.photo.x1; ++x) {
            const double u = double(x - s.photo.x0) / (s.photo.x1 - s.photo.x0);
            const double v = double(y - s.photo.y0) / (s.photo.y1 - s.photo.y0);
            const double sky = 1.0 - v;
            const double hill = 0.5 + 0.5 * std::sin(u * 2.3 * pi + 0.7) * std::cos(v * 1.7 * pi);
            const double sun = std::exp(-((u - 0.7) * (u - 0.7) + (v - 0.25) * (v - 0.25)) * 40);
            const double shade = std::exp(-((u - 0.25) * (u - 0.25) + (v - 0.7) * (v - 0.7)) * 12);
            const double g = grain(rng);
            const double rgb[3] = {40 + 120 * sky * 0.6 + 90 * hill + 120 * sun - 110 * shade,
                                   70 + 100 * sky + 70 * hill * (1 - v) + 100 * sun - 100 * shade,
                                   90 + 150 * sky - 40 * hill + 30 * sun - 80 * shade};
            uint8_t *px = &p.pixels[(size_t(y) * p.width + x) * 3];
            for (int c = 0; c < 3; ++c)
                px[c] = uint8_t(std::clamp(std::lround(rgb[c] + g), 0L, 255L));
        }
    // Slightly yellowed paper and sensor noise over everything.
    const double tint[3] = {0.97, 0.95, 0.90};
    for (size_t i = 0; i < p.pixels.size(); ++i)
        p.pixels[i] =
            uint8_t(std::clamp(std::lround(p.pixels[i] * tint[i % 3] + noise(rng)), 0L, 255L));
    return s;
}

Raster ToGrey(const Raster &image) {
    Raster out{image.width, image.height, 1,
               std::vector<uint8_t>(size_t(image.width) * image.height)};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            out.pixels[size_t(y) * image.width + x] = image.Luma(x, y);
    return out;
}

void WriteTiff(const std::string &path, const std::vector<Raster> &pages, double dpi) {
    CTiffOption option(0, 0, 0);
    CImgToTIFF2 writer;
    writer.Open(&option, path.c_str());
    for (const Raster &r : pages) {
        const int rowBytes = r.width * r.samples;
        writer.BeginPage(
            CImgParam(r.samples == 3 ? kPixelRgb : kPixelGray, r.width, r.height, rowBytes, dpi));
        // Rows in memory-transfer sized pieces, as a scan delivers them.
        const size_t chunk = size_t(rowBytes) * 37;
        for (size_t at = 0; at < r.pixels.size(); at += chunk)
            writer.WriteData(std::min(chunk, r.pixels.size() - at), r.pixels.data() + at);
        writer.EndPage();
    }
    writer.Close();
}

double Psnr(const Raster &a, const Raster &b, const Box &box) {
    const Box area = box.x1 > box.x0 ? box : Box{0, 0, a.width, a.height};
    double sum = 0;
    int64_t n = 0;
    for (int y = area.y0; y < area.y1; ++y)
        for (int x = area.x0; x < area.x1; ++x)
            for (int c = 0; c < a.samples; ++c) {
                const size_t i = (size_t(y) * a.width + x) * a.samples + c;
                const double d = double(a.pixels[i]) - double(b.pixels[i]);
                sum += d * d;
                ++n;
            }
    const double mse = n ? sum / double(n) : 0;
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

MarkAgreement CompareMarks(const Raster &original, const Raster &render, const Box &skip) {
    MarkAgreement m;
    auto darkNear = [](const Raster &r, int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int u = x + dx, v = y + dy;
                if (u >= 0 && v >= 0 && u < r.width && v < r.height && r.Luma(u, v) < 128)
                    return true;
            }
        return false;
    };
    for (int y = 0; y < original.height; ++y)
        for (int x = 0; x < original.width; ++x) {
            if (skip.Holds(x, y))
                continue;
            const bool was = original.Luma(x, y) < 128, is = render.Luma(x, y) < 128;
            if (was) {
                ++m.marks;
                if (!darkNear(render, x, y))
                    ++m.missing;
            } else if (is && !darkNear(original, x, y)) {
                ++m.extra;
            }
        }
    return m;
}

}  // namespace corv::mrc::test
