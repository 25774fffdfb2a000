#include "ImageBand.h"

#include "ComImage.h"
#include "ImageError.h"

#include <new>

namespace corv {

void ImageBand::Shape(int kind, int width, int height, int rows) {
    colourKind = kind;
    bytesPerRow = CComImage::BytesPerRow(width, kind);
    samplesPerPixel = CComImage::SamplesPerPixel(kind);
    imageWidth = width;
    imageHeight = height;
    left = 0;
    right = width;
    top = bottom = 0;
    size_t need = static_cast<size_t>(bytesPerRow) * static_cast<size_t>(rows);
    if (need > m_capacity) {
        m_data.reset(new (std::nothrow) uint8_t[need]);
        if (!m_data) {
            m_capacity = 0;
            RaiseImageError(kErrNoMemory);
        }
        m_capacity = need;
    }
}

}  // namespace corv
