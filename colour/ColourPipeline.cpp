#include "ColourPipeline.h"

#include "OutputWriter.h"
#include "ToneTable.h"

#include <algorithm>
#include <cstring>

namespace corvcolor {
namespace {

// First sample of each output column's source pixel in an area row.
std::vector<size_t> ColumnOffsets(const CPreviewGeometry &g) {
    std::vector<size_t> cols(static_cast<size_t>(g.outWidth));
    for (int x = 0; x < g.outWidth; ++x)
        cols[x] = static_cast<size_t>(COutputWriter::SourceIndex(x, g.outWidth, g.area.width)) * 3;
    return cols;
}

}  // namespace

CColourPipeline::CColourPipeline(const SC_PREVIEWPARAM &p, const CPreviewGeometry &g)
    : geom_(g),
      to12_(CPreviewGeometry::To12Table(p.curveSwitch != 0 ? p.curve : nullptr)),
      adjust_(p.adjust1, p.adjust2, p.adjust3),
      converter_(adjust_, ColumnOffsets(g)),
      ringRows_{-1, -1, -1, -1, -1} {
    if (CToneTable::IsRequested(p)) {
        const CToneTable tone(p, 0);
        adjust_.FoldTone(&tone);
    }
    const size_t areaSamples = static_cast<size_t>(g.area.width) * 3;
    if (CSharpenFilter::IsRequested(p)) {
        filter_ = std::make_unique<CSharpenFilter::CRowFilter>(
            CSharpenFilter::FromParam(p), g.widened.width, 3, g.area.left - g.widened.left,
            g.area.width);
        ring_.resize(static_cast<size_t>(g.widened.width) * 3 * kRing);
    }
    filtered_.resize(areaSamples);
}

const uint16_t *CColourPipeline::WidenedRow(const uint8_t *in, int y) {
    const size_t samples = static_cast<size_t>(geom_.widened.width) * 3;
    uint16_t *row = ring_.data() + static_cast<size_t>(y % kRing) * samples;
    if (ringRows_[y % kRing] != y) {
        const uint8_t *s = geom_.WidenedRow(in, y);
        for (size_t i = 0; i < samples; ++i)
            row[i] = to12_[s[i]];
        ringRows_[y % kRing] = y;
    }
    return row;
}

const uint16_t *CColourPipeline::AreaRow(const uint8_t *in, int y) {
    if (!filter_) {
        // Without the filter the widened area is the area itself.
        const uint8_t *s = geom_.WidenedRow(in, y);
        for (size_t i = 0; i < filtered_.size(); ++i)
            filtered_[i] = to12_[s[i]];
        return filtered_.data();
    }
    const int wy = y + geom_.area.top - geom_.widened.top;
    const uint16_t *around[5];
    for (int k = 0; k < 5; ++k)
        around[k] = WidenedRow(in, std::clamp(wy + k - 2, 0, geom_.widened.height - 1));
    filter_->Run(around, filtered_.data());
    return filtered_.data();
}

void CColourPipeline::Run(const uint8_t *in, uint8_t *out) {
    const size_t rowBytes = geom_.OutRowBytes();
    const size_t pixelBytes = static_cast<size_t>(geom_.outWidth) * 3;
    int last = -1;
    for (int y = 0; y < geom_.outHeight; ++y) {
        uint8_t *d = out + static_cast<size_t>(y) * rowBytes;
        const int sy = COutputWriter::SourceIndex(y, geom_.outHeight, geom_.area.height);
        if (sy == last) {
            std::memcpy(d, d - rowBytes, rowBytes);
            continue;
        }
        converter_.Run(AreaRow(in, sy), d);
        std::memset(d + pixelBytes, 0, rowBytes - pixelBytes);
        last = sy;
    }
}

}  // namespace corvcolor
