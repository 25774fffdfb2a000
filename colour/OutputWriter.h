#pragma once

#include "PreviewGeometry.h"
#include "WorkImage.h"

namespace corvcolor {

// Last step of every preview: nearest-neighbour scaling to the output size
// (when one is given) and the copy into rows padded to 4 bytes with zeros.
class COutputWriter {
public:
    // Centre of output cell i mapped back into n source cells.
    static int SourceIndex(int64_t i, int64_t outCount, int64_t n) {
        return static_cast<int>((2 * i + 1) * n / (2 * outCount));
    }
    static void Write(const CImage8 &img, const CPreviewGeometry &geom, uint8_t *out);
};

}  // namespace corvcolor
