#include "RowConverter.h"

#include "ConversionTable.h"

#include <immintrin.h>

#include <utility>

namespace corvcolor {
namespace {

// Eight pixels at a time in 32-bit lanes. The table lookups stay scalar:
// AVX2 gathers are slower than plain loads on many processors, and the
// vector part is the arithmetic around them.
constexpr int kLanes = 8;

// Every 8 pixels (24 bytes) are written as two 16-byte stores, 4 bytes past
// them that the next pixels overwrite; so the vector kernel stops while two
// pixels remain and the plain kernel ends the row.
constexpr size_t kTailPixels = 2;

struct CAvx2Tables {
    const uint8_t *light;
    const int32_t *chroma;
    const uint64_t *packed;
    int32_t cosCoef, sinCoef;
};

using Lanes = int32_t[kLanes];

__attribute__((target("avx2"))) inline __m256i Load(const Lanes &v) {
    return _mm256_load_si256(reinterpret_cast<const __m256i *>(v));
}

__attribute__((target("avx2"))) inline void Store(Lanes &to, __m256i v) {
    _mm256_store_si256(reinterpret_cast<__m256i *>(to), v);
}

// CColourAdjust::Scaled8 on eight sums. The division by 160000 is a shift
// by 8 (exact: floor(floor(x / 256) / 625) is floor(x / 160000)) and a
// float product: with 0.5 added, every quotient x / 625 lies at least
// 0.5 / 625 from the next integer, far beyond the float error (checked for
// every dividend up to white).
__attribute__((target("avx2"))) inline __m256i Scaled8x8(__m256i v) {
    constexpr int32_t kDivisor = 16 * CColourAdjust::kScale;
    constexpr int32_t kWhite = 255 * kDivisor - CColourAdjust::kScale / 2;
    const __m256i clamped =
        _mm256_min_epi32(_mm256_max_epi32(v, _mm256_setzero_si256()), _mm256_set1_epi32(kWhite));
    const __m256i y = _mm256_srli_epi32(
        _mm256_add_epi32(clamped, _mm256_set1_epi32(CColourAdjust::kScale / 2)), 8);
    const __m256 q = _mm256_mul_ps(_mm256_add_ps(_mm256_cvtepi32_ps(y), _mm256_set1_ps(0.5f)),
                                   _mm256_set1_ps(1.0f / 625.0f));
    return _mm256_cvttps_epi32(q);
}

// One channel of four interpolated sums back to a byte, as the plain
// kernel's ToByte does.
__attribute__((target("avx2"))) inline __m256i ChannelByte(__m256i sum, int shift) {
    const __m256i mask = _mm256_set1_epi64x((int64_t{1} << CConversionTable::kLaneBits) - 1);
    const __m256i lane = _mm256_and_si256(_mm256_srli_epi64(sum, shift), mask);
    return _mm256_min_epu32(_mm256_srli_epi64(_mm256_add_epi64(lane, _mm256_set1_epi64x(1024)), 11),
                            _mm256_set1_epi64x(255));
}

// The cells of eight pixels (8-bit Y, Cb, Cr in lanes): base node, the two
// middle corners and the four weights, as the plain kernel finds them.
struct CCells {
    alignas(32) Lanes base, corner1, corner2, w0, w1, w2, w3;
};

// The corner offsets by comparison index, one lane each.
struct CCornerLanes {
    alignas(32) Lanes corner1, corner2;

    CCornerLanes() {
        for (unsigned i = 0; i < kLanes; ++i) {
            corner1[i] = CConversionTable::Corners(i).corner1;
            corner2[i] = CConversionTable::Corners(i).corner2;
        }
    }
};

__attribute__((target("avx2"))) inline void FindCells(const CCornerLanes &corners, __m256i y,
                                                      __m256i cb, __m256i cr, CCells &cells) {
    const __m256i seven = _mm256_set1_epi32(CConversionTable::kStep - 1);
    const __m256i f0 = _mm256_and_si256(y, seven), f1 = _mm256_and_si256(cb, seven),
                  f2 = _mm256_and_si256(cr, seven);
    const __m256i plane = _mm256_set1_epi32(CConversionTable::kGrid * CConversionTable::kGrid);
    const __m256i line = _mm256_set1_epi32(CConversionTable::kGrid);
    Store(cells.base,
          _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(y, 3), plane),
                                            _mm256_mullo_epi32(_mm256_srli_epi32(cb, 3), line)),
                           _mm256_srli_epi32(cr, 3)));
    // The comparison index: bits set where f0 >= f1, f1 >= f2, f0 >= f2.
    const __m256i less = _mm256_or_si256(
        _mm256_and_si256(_mm256_cmpgt_epi32(f1, f0), _mm256_set1_epi32(4)),
        _mm256_or_si256(_mm256_and_si256(_mm256_cmpgt_epi32(f2, f1), _mm256_set1_epi32(2)),
                        _mm256_and_si256(_mm256_cmpgt_epi32(f2, f0), _mm256_set1_epi32(1))));
    const __m256i order = _mm256_xor_si256(less, _mm256_set1_epi32(7));
    Store(cells.corner1, _mm256_permutevar8x32_epi32(Load(corners.corner1), order));
    Store(cells.corner2, _mm256_permutevar8x32_epi32(Load(corners.corner2), order));
    const __m256i hi = _mm256_max_epi32(_mm256_max_epi32(f0, f1), f2);
    const __m256i lo = _mm256_min_epi32(_mm256_min_epi32(f0, f1), f2);
    const __m256i mid =
        _mm256_sub_epi32(_mm256_add_epi32(f0, _mm256_add_epi32(f1, f2)), _mm256_add_epi32(hi, lo));
    Store(cells.w0, _mm256_sub_epi32(_mm256_set1_epi32(CConversionTable::kStep), hi));
    Store(cells.w1, _mm256_sub_epi32(hi, mid));
    Store(cells.w2, _mm256_sub_epi32(mid, lo));
    Store(cells.w3, lo);
}

// Blue, green, red of four packed sums to 12 bytes (and 4 more, see
// kTailPixels).
__attribute__((target("avx2"))) inline void StoreFour(const uint64_t *sums, uint8_t *bgr) {
    const __m256i sum = _mm256_load_si256(reinterpret_cast<const __m256i *>(sums));
    const __m256i r = ChannelByte(sum, 0), g = ChannelByte(sum, CConversionTable::kLaneBits),
                  b = ChannelByte(sum, 2 * CConversionTable::kLaneBits);
    const __m256i px =
        _mm256_or_si256(b, _mm256_or_si256(_mm256_slli_epi64(g, 8), _mm256_slli_epi64(r, 16)));
    const __m128i four = _mm256_castsi256_si128(
        _mm256_permutevar8x32_epi32(px, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
    const __m128i threeBytes =
        _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(bgr), _mm_shuffle_epi8(four, threeBytes));
}

__attribute__((target("avx2"))) void RunAvx2(const CAvx2Tables &t, const uint16_t *row,
                                             const size_t *offsets, size_t count, uint8_t *bgr) {
    const __m256i centre = _mm256_set1_epi32(CColourAdjust::kChromaCentre * CColourAdjust::kScale);
    const __m256i cosCoef = _mm256_set1_epi32(t.cosCoef), sinCoef = _mm256_set1_epi32(t.sinCoef);
    const CCornerLanes corners;
    for (size_t x = 0; x < count; x += kLanes) {
        alignas(32) Lanes light, cb, cr;
        for (int k = 0; k < kLanes; ++k) {
            const uint16_t *in = row + offsets[x + k];
            light[k] = t.light[in[0]];
            cb[k] = t.chroma[in[1]];
            cr[k] = t.chroma[in[2]];
        }
        const __m256i c = Load(cb), r = Load(cr);
        const __m256i u =
            Scaled8x8(_mm256_sub_epi32(_mm256_add_epi32(centre, _mm256_mullo_epi32(cosCoef, c)),
                                       _mm256_mullo_epi32(sinCoef, r)));
        const __m256i v =
            Scaled8x8(_mm256_add_epi32(_mm256_add_epi32(centre, _mm256_mullo_epi32(sinCoef, c)),
                                       _mm256_mullo_epi32(cosCoef, r)));
        CCells cells;
        FindCells(corners, Load(light), u, v, cells);
        alignas(32) uint64_t sums[kLanes];
        for (int k = 0; k < kLanes; ++k) {
            const uint64_t *n0 = t.packed + cells.base[k];
            sums[k] = uint64_t(uint32_t(cells.w0[k])) * n0[0] +
                      uint64_t(uint32_t(cells.w1[k])) * n0[cells.corner1[k]] +
                      uint64_t(uint32_t(cells.w2[k])) * n0[cells.corner2[k]] +
                      uint64_t(uint32_t(cells.w3[k])) * n0[CConversionTable::kFar];
        }
        StoreFour(sums, bgr + 3 * x);
        StoreFour(sums + 4, bgr + 3 * (x + 4));
    }
}

}  // namespace

CRowConverter::CRowConverter(const CColourAdjust &adjust, std::vector<size_t> offsets, CIsa isa)
    : adjust_(adjust), offsets_(std::move(offsets)), isa_(isa), ycc_(offsets_.size() * 3) {}

void CRowConverter::RunPlain(const uint16_t *row, size_t from, uint8_t *bgr) {
    const size_t n = offsets_.size() - from;
    adjust_.ApplyRow(row, offsets_.data() + from, n, ycc_.data());
    CConversionTable::ConvertPixels(ycc_.data(), n, bgr + 3 * from);
}

void CRowConverter::Run(const uint16_t *row, uint8_t *bgr) {
    size_t done = 0;
    if (isa_ == CIsa::kAvx2 && offsets_.size() >= kLanes + kTailPixels) {
        done = (offsets_.size() - kTailPixels) / kLanes * kLanes;
        const CAvx2Tables t{adjust_.LightTable(), adjust_.ChromaTable(), CConversionTable::Packed(),
                            adjust_.cosCoef, adjust_.sinCoef};
        RunAvx2(t, row, offsets_.data(), done, bgr);
    }
    RunPlain(row, done, bgr);
}

}  // namespace corvcolor
