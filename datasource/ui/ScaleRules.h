// Where the preview's rulers put their ticks and labels: a labelled tick
// at every multiple of a step chosen so that labels stay about 40 screen
// pixels apart, nine minor ticks between, counted from the image's edge.
#pragma once

#include "UnitConversion.h"

#include <cstdint>
#include <vector>

struct SScaleTick {
    int32_t position;  // screen pixels along the ruler
    int32_t length;    // across the ruler
    bool labelled;
    int32_t label;  // in the display unit, when labelled
};

class CScaleRules {
public:
    // Screen pixels per display unit: the image's pixels per unit at the
    // area resolution, scaled by the zoom (2^zoom / 8).
    static double PixelsPerUnit(int32_t dpi, ELengthUnit unit, int32_t zoom);
    // Display units between two labels; at least 1.
    static int32_t LabelStep(double pixelsPerUnit);
    // The ticks of a ruler `length` screen pixels long and `thickness`
    // across, with the image scrolled by `origin` image pixels.
    static std::vector<SScaleTick> Ticks(int32_t dpi, ELengthUnit unit, int32_t zoom,
                                         int32_t origin, int32_t length, int32_t thickness);
};
