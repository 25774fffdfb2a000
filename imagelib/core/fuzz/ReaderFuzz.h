#pragma once
// The body the three reader fuzz targets share: the input as a memory
// file, the header read, every row decoded (the first rows also through a
// dither chosen by the input), and only the library's own errors allowed.
#include "ComImage.h"
#include "ImageBand.h"
#include "ImageError.h"
#include "MemoryFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace corv::fuzz {

// Pixels decoded per input at most, so that a small file claiming a huge
// (but legal) page does not stall the run.
constexpr int64_t kMaxPixels = int64_t{1} << 22;

inline void ReadImage(CComImage &image, const uint8_t *data, size_t size) {
    std::vector<uint8_t> copy(data, data + size);
    CMemoryFile file;
    file.Attach(copy.data(), copy.size());
    image.SetStreamBorrowed(true);
    try {
        image.OpenRead(&file);
        const int64_t pixels = int64_t{image.Width()} * image.Height();
        if (pixels > kMaxPixels)
            return;
        static const int kMethods[] = {1, 8, 9, 100, 102, 200, 300};
        const int method = kMethods[size % (sizeof kMethods / sizeof kMethods[0])];
        image.SetConversion(size & 1 ? kKindBilevel : kKindPalette8, method);
        ImageBand converted;
        image.ReadConverted(converted, 7);
        ImageBand band;
        while (image.ReadBand(band, 16) > 0) {
        }
    } catch (const CImageError &) {
        // Refused with one of the library's codes: what a bad file must get.
    }
}

}  // namespace corv::fuzz
