#include "ColorQuantizer.h"

#include "Dither.h"
#include "ImageError.h"

#include <algorithm>

namespace corv {

CColorQuantizer::CColorQuantizer() {
    const size_t cells = size_t(kSide) * kSide * kSide;
    m_weight.assign(cells, 0);
    m_r.assign(cells, 0);
    m_g.assign(cells, 0);
    m_b.assign(cells, 0);
    m_squares.assign(cells, 0.0);
}

void CColorQuantizer::AddRgb(const uint8_t *rgb, size_t pixels) {
    if (m_accumulated)
        RaiseImageError(kErrInvalidArg);
    for (size_t i = 0; i < pixels; ++i, rgb += 3) {
        const size_t at = Index((rgb[0] >> 3) + 1, (rgb[1] >> 3) + 1, (rgb[2] >> 3) + 1);
        ++m_weight[at];
        m_r[at] += rgb[0];
        m_g[at] += rgb[1];
        m_b[at] += rgb[2];
        m_squares[at] += double(rgb[0] * rgb[0] + rgb[1] * rgb[1] + rgb[2] * rgb[2]);
    }
}

void CColorQuantizer::AddBand(const ImageBand &band) {
    std::vector<uint8_t> rgb(size_t(band.right - band.left) * 3 + 3);
    for (int y = band.top; y < band.bottom; ++y) {
        CDither::RgbRow(band, y, rgb.data());
        AddRgb(rgb.data(), size_t(band.right - band.left));
    }
}

void CColorQuantizer::Accumulate() {
    auto sum = [](auto &m) {
        for (int r = 1; r < kSide; ++r)
            for (int g = 1; g < kSide; ++g)
                for (int b = 1; b < kSide; ++b) {
                    m[Index(r, g, b)] += m[Index(r - 1, g, b)];
                }
        for (int r = 1; r < kSide; ++r)
            for (int g = 1; g < kSide; ++g)
                for (int b = 1; b < kSide; ++b)
                    m[Index(r, g, b)] += m[Index(r, g - 1, b)];
        for (int r = 1; r < kSide; ++r)
            for (int g = 1; g < kSide; ++g)
                for (int b = 1; b < kSide; ++b)
                    m[Index(r, g, b)] += m[Index(r, g, b - 1)];
    };
    sum(m_weight);
    sum(m_r);
    sum(m_g);
    sum(m_b);
    sum(m_squares);
    m_accumulated = true;
}

template <typename T>
T CColorQuantizer::Volume(const Box &x, const std::vector<T> &m) const {
    const int r0 = x.lo[0], r1 = x.hi[0], g0 = x.lo[1], g1 = x.hi[1], b0 = x.lo[2], b1 = x.hi[2];
    return m[Index(r1, g1, b1)] - m[Index(r1, g1, b0)] - m[Index(r1, g0, b1)] +
           m[Index(r1, g0, b0)] - m[Index(r0, g1, b1)] + m[Index(r0, g1, b0)] +
           m[Index(r0, g0, b1)] - m[Index(r0, g0, b0)];
}

double CColorQuantizer::Variance(const Box &box) const {
    const double w = double(Volume(box, m_weight));
    if (w <= 0)
        return 0;
    const double r = double(Volume(box, m_r)), g = double(Volume(box, m_g)),
                 b = double(Volume(box, m_b));
    return Volume(box, m_squares) - (r * r + g * g + b * b) / w;
}

bool CColorQuantizer::Cut(Box &a, Box &b) const {
    const double whole[4] = {double(Volume(a, m_weight)), double(Volume(a, m_r)),
                             double(Volume(a, m_g)), double(Volume(a, m_b))};
    double best = -1;
    int bestAxis = -1, bestAt = 0;
    for (int axis = 0; axis < 3; ++axis)
        for (int at = a.lo[axis] + 1; at < a.hi[axis]; ++at) {
            Box half = a;
            half.hi[axis] = at;
            const double w = double(Volume(half, m_weight));
            if (w <= 0 || w >= whole[0])
                continue;
            const double r = double(Volume(half, m_r)), g = double(Volume(half, m_g)),
                         bl = double(Volume(half, m_b));
            const double rr = whole[1] - r, rg = whole[2] - g, rb = whole[3] - bl;
            // The halves' squared mean sums: the larger, the more variance goes.
            const double score =
                (r * r + g * g + bl * bl) / w + (rr * rr + rg * rg + rb * rb) / (whole[0] - w);
            if (score > best) {
                best = score;
                bestAxis = axis;
                bestAt = at;
            }
        }
    if (bestAxis < 0)
        return false;
    b = a;
    a.hi[bestAxis] = bestAt;
    b.lo[bestAxis] = bestAt;
    return true;
}

Palette CColorQuantizer::BuildPalette(int colours) {
    if (colours < 1 || colours > 256)
        RaiseImageError(kErrInvalidArg);
    if (!m_accumulated)
        Accumulate();
    std::vector<Box> boxes(1, Box{{0, 0, 0}, {kSide - 1, kSide - 1, kSide - 1}});
    std::vector<double> variance(1, Variance(boxes[0]));
    while (int(boxes.size()) < colours) {
        const size_t next =
            size_t(std::max_element(variance.begin(), variance.end()) - variance.begin());
        if (variance[next] <= 0)
            break;
        Box other{};
        if (!Cut(boxes[next], other)) {
            variance[next] = 0;
            continue;
        }
        boxes.push_back(other);
        variance[next] = Variance(boxes[next]);
        variance.push_back(Variance(other));
    }
    Palette palette;
    for (const Box &box : boxes) {
        const int64_t w = Volume(box, m_weight);
        if (w <= 0)
            continue;
        auto mean = [&](const std::vector<int64_t> &m) {
            return static_cast<uint8_t>((Volume(box, m) + w / 2) / w);
        };
        palette.push_back({mean(m_r), mean(m_g), mean(m_b)});
    }
    if (palette.empty())
        palette.push_back({0, 0, 0});
    return palette;
}

}  // namespace corv
