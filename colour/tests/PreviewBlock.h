#pragma once

#include "corvcolor.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace colourtest {

using PreviewFn = int(SC_API *)(uint8_t *, const uint8_t *, const SC_PREVIEWPARAM *);

struct PreviewExport {
    const char *name;
    PreviewFn fn;
    int channels;
    bool usesTone;  // applies levels and gamma, so checks those fields
};

extern const PreviewExport kPreviewExports[4];

// Bytes of a width x height x channels image, or -1 where a size is not
// positive (the product of two negatives must not pass as an image).
int64_t ImageBytes(int32_t width, int32_t height, int channels);

// A block with every adjustment neutral: no filter, gamma 18, highlight 255,
// shadow 0, no curve, no scaling; the area is the whole image.
SC_PREVIEWPARAM NeutralBlock(int width, int height);
// The same with an area inside the image.
SC_PREVIEWPARAM AreaBlock(int width, int height, int left, int top, int areaWidth, int areaHeight);
// Every adjustment of every export on at once: a sharpening filter, the
// three adjustment fields, gamma, levels and a lifting curve.
void TurnEverythingOn(SC_PREVIEWPARAM &p);
SC_SPOTPARAM SpotBlock(int width, int height, int x, int y);

// Output bytes a valid block asks for, from the sizes alone (the rule the
// header documents), or -1 where the sizes cannot describe an output.
int64_t OutputBytes(const SC_PREVIEWPARAM &p, int channels);

// Whether the block's geometry and tone fields are acceptable, worked out
// independently of the library's own checks.
bool ExpectAccepted(const SC_PREVIEWPARAM &p, int channels, bool usesTone);

// Deterministic pseudo-random bytes for test images.
std::vector<uint8_t> NoiseImage(size_t bytes, uint32_t seed);

}  // namespace colourtest
