#include "ConversionTable.h"

#include <algorithm>

namespace corvcolor {
namespace {

// Full-range YCbCr to RGB (ITU-R BT.601 coefficients as JFIF uses them).
constexpr double kCrToR = 1.402;
constexpr double kCbToG = 0.344136;
constexpr double kCrToG = 0.714136;
constexpr double kCbToB = 1.772;

constexpr uint16_t NodeValue(double v) {
    const double fixed = v * CConversionTable::kNodeOne;
    if (fixed <= 0.0)
        return 0;
    if (fixed >= 65535.0)
        return 65535;
    return static_cast<uint16_t>(fixed + 0.5);
}

// Evaluated by the compiler: the table is constant data of the library.
constexpr CConversionTable::Table MakeTable() {
    CConversionTable::Table t{};
    constexpr int g = CConversionTable::kGrid;
    for (int i = 0; i < g; ++i)
        for (int j = 0; j < g; ++j)
            for (int k = 0; k < g; ++k) {
                const double y = i * CConversionTable::kStep;
                const double cb = j * CConversionTable::kStep - 128.0;
                const double cr = k * CConversionTable::kStep - 128.0;
                t[CConversionTable::Index(i, j, k)] = {NodeValue(y + kCrToR * cr),
                                                       NodeValue(y - kCbToG * cb - kCrToG * cr),
                                                       NodeValue(y + kCbToB * cb)};
            }
    return t;
}

constexpr CConversionTable::Table kTable = MakeTable();
static_assert(sizeof(kTable) == 215622, "three 16-bit values per node, no padding");

// Sum of four nodes weighted by eighths (8 x 8.8 fixed point) back to a byte.
uint8_t ToByte(uint32_t weighted) {
    return static_cast<uint8_t>(std::min<uint32_t>((weighted + 1024) >> 11, 255));
}

}  // namespace

const CConversionTable::Table &CConversionTable::Nodes() {
    return kTable;
}

void CConversionTable::Convert(const uint8_t *ycc, uint8_t *bgr) {
    // The tetrahedron of the cell that holds the point: walk from the base
    // corner along the axes in order of falling inner position. The order
    // comes from a table indexed by the three comparisons, so noisy images
    // cost no mispredicted branches.
    struct Order {
        uint8_t first, second, third;
    };
    static constexpr Order kOrders[8] = {
        {2, 1, 0},  // y < cb, cb < cr, y < cr
        {0, 0, 0},  // impossible
        {1, 2, 0},  // y < cb, cb >= cr, y < cr
        {1, 0, 2},  // y < cb, cb >= cr, y >= cr
        {2, 0, 1},  // y >= cb, cb < cr, y < cr
        {0, 2, 1},  // y >= cb, cb < cr, y >= cr
        {0, 0, 0},  // impossible
        {0, 1, 2},  // y >= cb, cb >= cr, y >= cr
    };
    static constexpr int kStrides[3] = {kGrid * kGrid, kGrid, 1};
    const int f[3] = {ycc[0] % kStep, ycc[1] % kStep, ycc[2] % kStep};
    const Order o = kOrders[(f[0] >= f[1]) << 2 | (f[1] >= f[2]) << 1 | (f[0] >= f[2])];
    const int base = Index(ycc[0] / kStep, ycc[1] / kStep, ycc[2] / kStep);
    const Node &n0 = kTable[base];
    const Node &n1 = kTable[base + kStrides[o.first]];
    const Node &n2 = kTable[base + kStrides[o.first] + kStrides[o.second]];
    const Node &n3 = kTable[base + kStrides[0] + kStrides[1] + kStrides[2]];
    const uint32_t w0 = kStep - f[o.first];
    const uint32_t w1 = f[o.first] - f[o.second];
    const uint32_t w2 = f[o.second] - f[o.third];
    const uint32_t w3 = f[o.third];
    bgr[2] = ToByte(w0 * n0.r + w1 * n1.r + w2 * n2.r + w3 * n3.r);
    bgr[1] = ToByte(w0 * n0.g + w1 * n1.g + w2 * n2.g + w3 * n3.g);
    bgr[0] = ToByte(w0 * n0.b + w1 * n1.b + w2 * n2.b + w3 * n3.b);
}

CImage8 CConversionTable::Convert(const CWork12 &img) {
    CImage8 out(img.width, img.height, 3);
    const size_t n = img.samples.size();
    for (size_t i = 0; i + 2 < n; i += 3) {
        const uint8_t ycc[3] = {static_cast<uint8_t>(img.samples[i] >> 4),
                                static_cast<uint8_t>(img.samples[i + 1] >> 4),
                                static_cast<uint8_t>(img.samples[i + 2] >> 4)};
        Convert(ycc, &out.samples[i]);
    }
    return out;
}

}  // namespace corvcolor
