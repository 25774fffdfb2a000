#include "OutputWriter.h"

#include <cstring>
#include <vector>

namespace corvcolor {
void COutputWriter::Write(const CImage8 &img, const CPreviewGeometry &geom, uint8_t *out) {
    const int ch = img.channels;
    const size_t rowBytes = geom.OutRowBytes();
    const size_t pixelBytes = static_cast<size_t>(geom.outWidth) * ch;
    const bool scaled = geom.outWidth != img.width || geom.outHeight != img.height;
    std::vector<size_t> cols;
    if (scaled) {
        cols.resize(static_cast<size_t>(geom.outWidth));
        for (int x = 0; x < geom.outWidth; ++x)
            cols[x] = static_cast<size_t>(SourceIndex(x, geom.outWidth, img.width)) * ch;
    }
    for (int y = 0; y < geom.outHeight; ++y) {
        uint8_t *d = out + static_cast<size_t>(y) * rowBytes;
        if (!scaled) {
            std::memcpy(d, img.Row(y), pixelBytes);
        } else {
            const uint8_t *s = img.Row(SourceIndex(y, geom.outHeight, img.height));
            for (int x = 0; x < geom.outWidth; ++x)
                std::memcpy(d + static_cast<size_t>(x) * ch, s + cols[x], static_cast<size_t>(ch));
        }
        std::memset(d + pixelBytes, 0, rowBytes - pixelBytes);
    }
}

}  // namespace corvcolor
