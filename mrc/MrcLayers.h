#pragma once
// MrcLayers: one page split for the PDF: the full-resolution text mask and
// the two reduced colour images drawn beneath and through it.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace corv::mrc {

struct MrcPlane {
    int width = 0;
    int height = 0;
    int samples = 0;
    std::vector<uint8_t> pixels;  // chunky, width * samples bytes a row
};

struct MrcLayers {
    int width = 0;
    int height = 0;
    // One byte a pixel, 1 where the foreground colour shows.
    std::vector<uint8_t> mask;
    MrcPlane background;
    MrcPlane foreground;
};

}  // namespace corv::mrc
