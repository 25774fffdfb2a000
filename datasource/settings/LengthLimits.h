// The limits of the custom document size, the edge erase and the zoom, per
// display unit, as the range labels show them and the range check applies
// them. Formats and bounds come from the string table.
#pragma once

#include <string>
#include <string_view>

#include "StringSource.h"
#include "UnitConversion.h"

enum class ELimitedLength { CustomHeight = 0, CustomWidth = 1, EdgeErase = 2 };

struct SLimitCheck {
    bool accepted = false;
    double mm = 0;         // the accepted length, inside the millimetre bounds
    std::wstring message;  // message 453 filled for a refused entry
};

class CLengthLimits {
public:
    static constexpr int kZoomMin = 25;
    static constexpr int kZoomMax = 400;
    static constexpr int kZoomDefault = 100;

    explicit CLengthLimits(const IStringSource &strings) : m_strings(strings) {}

    static double MinMm(ELimitedLength length);
    static double MaxMm(ELimitedLength length);
    static double DefaultMm(ELimitedLength length);

    // The bounds and default as the unit's strings give them ("0.591", "11.693").
    std::wstring MinText(ELimitedLength length, ELengthUnit unit) const;
    std::wstring MaxText(ELimitedLength length, ELengthUnit unit) const;
    std::wstring DefaultText(ELimitedLength length, ELengthUnit unit) const;
    // The range label: the unit's format filled with minimum and maximum.
    std::wstring RangeLabel(ELimitedLength length, ELengthUnit unit) const;
    std::wstring ZoomRangeLabel() const;
    // Message 453 naming the unit's minimum and maximum.
    std::wstring RangeMessage(ELimitedLength length, ELengthUnit unit) const;

    // An edit's text in the display unit against the limits.
    SLimitCheck Check(ELimitedLength length, ELengthUnit unit, std::wstring_view text) const;

private:
    std::wstring Bound(ELimitedLength length, ELengthUnit unit, unsigned which) const;

    const IStringSource &m_strings;
};
