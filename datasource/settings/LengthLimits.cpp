#include "LengthLimits.h"

#include <algorithm>

#include "TextFormat.h"
#include "res/settings_ids.h"

namespace {

struct SMmLimits {
    double min, max, standard;
};

constexpr SMmLimits kMmLimits[] = {
    {15, 297, 100},  // custom height
    {15, 432, 100},  // custom width
    {0, 50, 2},      // edge erase
};

constexpr unsigned kBoundBase[] = {IDS_LIMIT_HEIGHT_BASE, IDS_LIMIT_WIDTH_BASE,
                                   IDS_LIMIT_EDGE_BASE};

enum : unsigned { kMin = 0, kMax = 1, kDefault = 2 };

const SMmLimits &Limits(ELimitedLength length) {
    return kMmLimits[static_cast<int>(length)];
}

double Number(const std::wstring &text) {
    return CTextFormat::ParseDecimal(text).value_or(0);
}

}  // namespace

double CLengthLimits::MinMm(ELimitedLength length) {
    return Limits(length).min;
}

double CLengthLimits::MaxMm(ELimitedLength length) {
    return Limits(length).max;
}

double CLengthLimits::DefaultMm(ELimitedLength length) {
    return Limits(length).standard;
}

std::wstring CLengthLimits::Bound(ELimitedLength length, ELengthUnit unit, unsigned which) const {
    const unsigned base = kBoundBase[static_cast<int>(length)];
    return m_strings.Load(base + static_cast<unsigned>(unit) * 10 + which);
}

std::wstring CLengthLimits::MinText(ELimitedLength length, ELengthUnit unit) const {
    return Bound(length, unit, kMin);
}

std::wstring CLengthLimits::MaxText(ELimitedLength length, ELengthUnit unit) const {
    return Bound(length, unit, kMax);
}

std::wstring CLengthLimits::DefaultText(ELimitedLength length, ELengthUnit unit) const {
    return Bound(length, unit, kDefault);
}

std::wstring CLengthLimits::RangeLabel(ELimitedLength length, ELengthUnit unit) const {
    const std::wstring format =
        m_strings.Load(IDS_LIMIT_FORMAT_FIRST + static_cast<unsigned>(unit));
    return CTextFormat::Fill(format,
                             {Number(MinText(length, unit)), Number(MaxText(length, unit))});
}

std::wstring CLengthLimits::ZoomRangeLabel() const {
    return CTextFormat::Fill(m_strings.Load(IDS_LIMIT_ZOOM_FORMAT), {kZoomMin, kZoomMax});
}

std::wstring CLengthLimits::RangeMessage(ELimitedLength length, ELengthUnit unit) const {
    return CTextFormat::Fill(m_strings.Load(IDS_MSG_RANGE),
                             {MinText(length, unit), MaxText(length, unit)});
}

SLimitCheck CLengthLimits::Check(ELimitedLength length, ELengthUnit unit,
                                 std::wstring_view text) const {
    SLimitCheck result;
    const auto value = CTextFormat::ParseDecimal(text);
    if (value) {
        const SMmLimits &mm = Limits(length);
        const double inMm = CUnitConversion::UnitToMm(*value, unit);
        // The inch and pt bounds are the millimetre bounds rounded for display
        // (11.693 inch is 297.002 mm): a value inside the bounds the user is
        // shown must pass, and is then kept inside the millimetre bounds.
        const bool insideMm = inMm >= mm.min && inMm <= mm.max;
        const auto shownMin = CTextFormat::ParseDecimal(MinText(length, unit));
        const auto shownMax = CTextFormat::ParseDecimal(MaxText(length, unit));
        const bool insideShown = shownMin && shownMax && *value >= *shownMin && *value <= *shownMax;
        if (insideMm || insideShown) {
            result.accepted = true;
            result.mm = std::clamp(inMm, mm.min, mm.max);
            return result;
        }
    }
    result.message = RangeMessage(length, unit);
    return result;
}
