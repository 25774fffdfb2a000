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

constexpr int kLaneBits = CConversionTable::kLaneBits;
constexpr uint64_t kLaneMask = (uint64_t{1} << kLaneBits) - 1;

constexpr std::array<uint64_t, CConversionTable::kNodes> MakePacked() {
    std::array<uint64_t, CConversionTable::kNodes> t{};
    for (int i = 0; i < CConversionTable::kNodes; ++i)
        t[i] = kTable[i].r | uint64_t{kTable[i].g} << kLaneBits |
               uint64_t{kTable[i].b} << (2 * kLaneBits);
    return t;
}

constexpr std::array<uint64_t, CConversionTable::kNodes> kPacked = MakePacked();

// Sum of four nodes weighted by eighths (8 x 8.8 fixed point) back to a byte.
uint8_t ToByte(uint64_t weighted) {
    return static_cast<uint8_t>(std::min<uint64_t>(((weighted & kLaneMask) + 1024) >> 11, 255));
}

// The tetrahedron of a cell: walk from the base corner along the axes in
// order of falling inner position. The two middle corners come from a table
// indexed by the three comparisons, so noisy images cost no mispredicted
// branches; an entry is made from the first two axes of the walk.
using Order = CConversionTable::Order;

constexpr Order MakeOrder(int first, int second) {
    constexpr int kStrides[3] = {CConversionTable::kGrid * CConversionTable::kGrid,
                                 CConversionTable::kGrid, 1};
    return {static_cast<uint16_t>(kStrides[first]),
            static_cast<uint16_t>(kStrides[first] + kStrides[second])};
}

constexpr Order kOrders[8] = {
    MakeOrder(2, 1),  // y < cb, cb < cr, y < cr
    MakeOrder(0, 0),  // impossible
    MakeOrder(1, 2),  // y < cb, cb >= cr, y < cr
    MakeOrder(1, 0),  // y < cb, cb >= cr, y >= cr
    MakeOrder(2, 0),  // y >= cb, cb < cr, y < cr
    MakeOrder(0, 2),  // y >= cb, cb < cr, y >= cr
    MakeOrder(0, 0),  // impossible
    MakeOrder(0, 1),  // y >= cb, cb >= cr, y >= cr
};

inline void ConvertOne(unsigned y, unsigned cb, unsigned cr, uint8_t *bgr) {
    using T = CConversionTable;
    constexpr int kFar = T::kFar;
    const uint32_t f0 = y % T::kStep, f1 = cb % T::kStep, f2 = cr % T::kStep;
    const Order o = kOrders[(f0 >= f1) << 2 | (f1 >= f2) << 1 | (f0 >= f2)];
    // The weights only need the positions sorted, not which axis has which.
    const uint32_t hi = std::max({f0, f1, f2}), lo = std::min({f0, f1, f2});
    const uint32_t mid = f0 + f1 + f2 - hi - lo;
    const uint64_t *n0 = &kPacked[T::Index(y / T::kStep, cb / T::kStep, cr / T::kStep)];
    const uint64_t sum = (T::kStep - hi) * n0[0] + (hi - mid) * n0[o.corner1] +
                         (mid - lo) * n0[o.corner2] + lo * n0[kFar];
    bgr[2] = ToByte(sum);
    bgr[1] = ToByte(sum >> kLaneBits);
    bgr[0] = ToByte(sum >> (2 * kLaneBits));
}

}  // namespace

const CConversionTable::Table &CConversionTable::Nodes() {
    return kTable;
}

const uint64_t *CConversionTable::Packed() {
    return kPacked.data();
}

CConversionTable::Order CConversionTable::Corners(unsigned comparisons) {
    return kOrders[comparisons & 7];
}

void CConversionTable::Convert(unsigned y, unsigned cb, unsigned cr, uint8_t *bgr) {
    ConvertOne(y, cb, cr, bgr);
}

void CConversionTable::ConvertPixels(const uint8_t *ycc, size_t count, uint8_t *bgr) {
    for (size_t i = 0; i < count; ++i)
        ConvertOne(ycc[3 * i], ycc[3 * i + 1], ycc[3 * i + 2], bgr + 3 * i);
}

}  // namespace corvcolor
