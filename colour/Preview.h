#pragma once

#include "corvcolor.h"

namespace corvcolor {

// The four preview pipelines behind the exports. Each validates the whole
// block before it touches a pixel and returns 0 or -1; allocation failures
// surface as std::bad_alloc for the export layer to turn into -1.
class CPreview {
public:
    static int Colour(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM &p);
    static int Icc(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM &p);
    static int Srgb(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM &p);
    static int Gray(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM &p);
};

}  // namespace corvcolor
