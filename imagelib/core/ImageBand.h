#pragma once
// ImageBand: the rows a writer hands to an image encoder in one go (the JPEG
// path's 8-row band). Rows top <= y < bottom of an image of width x height.
#include "Palette.h"

#include <cstdint>
#include <memory>

namespace corv {

struct ImageBand {
    int colourKind = 0;
    int bytesPerRow = 0;
    int samplesPerPixel = 0;
    int imageWidth = 0;
    int imageHeight = 0;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    // The colours of palette kinds (4, 5); empty otherwise.
    Palette palette;

    // Sizes the band for `rows` rows of the given kind and width; keeps the
    // block when it is already big enough.
    void Shape(int colourKind, int width, int height, int rows);
    uint8_t *Row(int y) { return m_data.get() + static_cast<size_t>(y - top) * bytesPerRow; }
    const uint8_t *Row(int y) const {
        return m_data.get() + static_cast<size_t>(y - top) * bytesPerRow;
    }
    int Rows() const { return bottom - top; }
    uint8_t *Data() { return m_data.get(); }
    const uint8_t *Data() const { return m_data.get(); }
    size_t Capacity() const { return m_capacity; }

private:
    std::unique_ptr<uint8_t[]> m_data;
    size_t m_capacity = 0;
};

}  // namespace corv
