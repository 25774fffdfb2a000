#pragma once

#include "ColourAdjust.h"
#include "PreviewGeometry.h"
#include "RowConverter.h"
#include "SharpenFilter.h"
#include "corvcolor.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace corvcolor {

// SC_preview's steps run row by row: each output row takes its area row
// (cut out, curve, filter), and only the pixels the scaling keeps go on
// through tone, colour adjustment and table conversion. The per-value steps
// are tables built once per call. Work memory is a few rows, not the area.
class CColourPipeline {
public:
    // The geometry must have been accepted for this block (with margins when
    // the block asks for the filter).
    CColourPipeline(const SC_PREVIEWPARAM &p, const CPreviewGeometry &g);

    void Run(const uint8_t *in, uint8_t *out);

private:
    // Row y of the area in 12 bits, filtered when the block asks for it.
    const uint16_t *AreaRow(const uint8_t *in, int y);
    // Row y of the widened area in 12 bits, from the ring of the last five.
    const uint16_t *WidenedRow(const uint8_t *in, int y);

    static constexpr int kRing = 5;

    const CPreviewGeometry &geom_;
    std::array<uint16_t, 256> to12_;
    CColourAdjust adjust_;
    CRowConverter converter_;
    std::unique_ptr<CSharpenFilter::CRowFilter> filter_;
    std::vector<uint16_t> ring_;
    int ringRows_[kRing];
    std::vector<uint16_t> filtered_;
};

}  // namespace corvcolor
