// Length conversions between the stored millimetres, the display units and
// pixels at a resolution.
#pragma once

#include <cstdint>
#include <string>

enum class ELengthUnit : int32_t { Millimetre = 0, Inch = 1, Point = 2, Q = 3 };

class CUnitConversion {
public:
    // The unit of a stored code; any code outside 0..3 shows millimetres.
    static ELengthUnit FromCode(int32_t code);

    static double MmToUnit(double mm, ELengthUnit unit);
    static double UnitToMm(double value, ELengthUnit unit);
    // Pixels at `dpi` in the display unit, and how many pixels make one unit.
    static double PixelsToUnit(double pixels, int32_t dpi, ELengthUnit unit);
    static double PixelsPerUnit(int32_t dpi, ELengthUnit unit);
    // A length in the display unit to pixels: trunc(dpi × inches + 0.5).
    static int32_t UnitToPixels(double value, ELengthUnit unit, int32_t dpi);
    static int32_t MmToPixels(double mm, int32_t dpi) {
        return UnitToPixels(mm, ELengthUnit::Millimetre, dpi);
    }
    // A pixel count at resolution `from` in pixels at `to`: trunc(p / from × to + 0.5).
    static int32_t RescalePixels(int32_t pixels, int32_t from, int32_t to);

    // trunc(value + 0.5) and trunc(value), kept inside the 32-bit range (NaN gives 0).
    static int32_t Round(double value);
    static int32_t Truncate(double value);

    // Digits after the point of a length shown in this unit: "%.3lf" for inch, "%.1lf" else.
    static int Decimals(ELengthUnit unit) { return unit == ELengthUnit::Inch ? 3 : 1; }
    static const char *LengthFormat(ELengthUnit unit) {
        return unit == ELengthUnit::Inch ? "%.3lf" : "%.1lf";
    }
    static std::wstring FormatLength(double valueInUnit, ELengthUnit unit);
    // A stored millimetre value as the pages show it.
    static std::wstring FormatMm(double mm, ELengthUnit unit) {
        return FormatLength(MmToUnit(mm, unit), unit);
    }
};
