#include "LengthEditRules.h"

#include <algorithm>
#include <cmath>

#include "TextFormat.h"

namespace {

double RoundToShown(double value, ELengthUnit unit) {
    const double scale = std::pow(10.0, CUnitConversion::Decimals(unit));
    return std::round(value * scale) / scale;
}

double InUnit(int64_t pixels, int32_t dpi, ELengthUnit unit) {
    return RoundToShown(CUnitConversion::PixelsToUnit(static_cast<double>(pixels), dpi, unit),
                        unit);
}

}  // namespace

bool CLengthEditRules::Accepts(std::wstring_view text, ELengthUnit unit) {
    const size_t point = text.find(L'.');
    const std::wstring_view whole = text.substr(0, point);
    const std::wstring_view fraction =
        point == std::wstring_view::npos ? std::wstring_view{} : text.substr(point + 1);
    const auto digits = [](std::wstring_view part) {
        return std::all_of(part.begin(), part.end(),
                           [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    };
    if (!digits(whole) || !digits(fraction))
        return false;
    if (point != std::wstring_view::npos && whole.empty())
        return false;
    return fraction.size() <= static_cast<size_t>(CUnitConversion::Decimals(unit));
}

std::optional<double> CLengthEditRules::Value(std::wstring_view text, ELengthUnit unit) {
    if (text.empty() || !Accepts(text, unit))
        return std::nullopt;
    // Read by hand: the host application may have set a locale whose
    // decimal separator is not the point.
    double value = 0;
    double scale = 1;
    bool fraction = false;
    for (wchar_t c : text) {
        if (c == L'.') {
            fraction = true;
            continue;
        }
        if (fraction)
            scale /= 10;
        value = fraction ? value + (c - L'0') * scale : value * 10 + (c - L'0');
    }
    return RoundToShown(value, unit);
}

SLengthBounds CLengthEditRules::AreaBounds(EAreaEdge edge, const SPreviewArea &area,
                                           int32_t imageWidth, int32_t imageHeight, int32_t dpi,
                                           ELengthUnit unit) {
    int64_t room = 0;
    switch (edge) {
        case EAreaEdge::Top:
            room = int64_t{imageHeight} - area.height;
            break;
        case EAreaEdge::Left:
            room = int64_t{imageWidth} - area.width;
            break;
        case EAreaEdge::Width:
            room = int64_t{imageWidth} - area.left;
            break;
        case EAreaEdge::Height:
            room = int64_t{imageHeight} - area.top;
            break;
    }
    // An area already larger than the image leaves no room, not a negative one.
    return SLengthBounds{0, InUnit(std::max<int64_t>(room, 0), dpi, unit)};
}

std::optional<double> CLengthEditRules::OutsideBounds(double value, SLengthBounds bounds) {
    if (value < bounds.low)
        return bounds.low;
    if (value > bounds.high)
        return bounds.high;
    return std::nullopt;
}

std::wstring CLengthEditRules::RangeMessage(std::wstring_view format, SLengthBounds bounds,
                                            ELengthUnit unit) {
    return CTextFormat::Fill(format, {CUnitConversion::FormatLength(bounds.low, unit),
                                      CUnitConversion::FormatLength(bounds.high, unit)});
}
