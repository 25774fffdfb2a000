#pragma once

#include "PreviewGeometry.h"
#include "WorkImage.h"

namespace corvcolor {

// Last step of every preview: nearest-neighbour scaling to the output size
// (when one is given) and the copy into rows padded to 4 bytes with zeros.
class COutputWriter {
public:
    static void Write(const CImage8 &img, const CPreviewGeometry &geom, uint8_t *out);
};

}  // namespace corvcolor
