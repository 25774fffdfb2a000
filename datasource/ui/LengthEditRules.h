// What the area edits take while the user types, the value they stand for,
// and the range each may hold once it loses the focus.
#pragma once

#include "PreviewRules.h"
#include "UnitConversion.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct SLengthBounds {
    double low;
    double high;
};

class CLengthEditRules {
public:
    // Digits with at most one decimal point, which needs a digit before it;
    // after it as many digits as the unit shows (three in inch, one else).
    // The empty text is taken so that the user can clear the edit.
    static bool Accepts(std::wstring_view text, ELengthUnit unit);
    // An accepted text's value rounded to the digits the unit shows; none
    // for the empty text or anything not accepted.
    static std::optional<double> Value(std::wstring_view text, ELengthUnit unit);

    // The range of one area edit in the display unit, as the prescan image
    // and the rest of the area leave it, rounded to the digits shown so
    // that a value shown at a bound is inside it.
    static SLengthBounds AreaBounds(EAreaEdge edge, const SPreviewArea &area, int32_t imageWidth,
                                    int32_t imageHeight, int32_t dpi, ELengthUnit unit);
    // The nearest bound for a value outside, nothing for a value inside.
    static std::optional<double> OutsideBounds(double value, SLengthBounds bounds);
    // The range message (its format names the two bounds with %s) with the
    // bounds as the unit shows lengths.
    static std::wstring RangeMessage(std::wstring_view format, SLengthBounds bounds,
                                     ELengthUnit unit);
};
