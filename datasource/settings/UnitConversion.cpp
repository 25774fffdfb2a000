#include "UnitConversion.h"

#include <cmath>
#include <limits>

#include "TextFormat.h"

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kPointsPerInch = 72;
constexpr double kQPerMm = 4;  // one Q (級) is a quarter millimetre

int32_t ClampToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value < lo ? lo : value > hi ? hi : value);
}

}  // namespace

ELengthUnit CUnitConversion::FromCode(int32_t code) {
    return code >= 0 && code <= 3 ? static_cast<ELengthUnit>(code) : ELengthUnit::Millimetre;
}

double CUnitConversion::MmToUnit(double mm, ELengthUnit unit) {
    switch (unit) {
        case ELengthUnit::Inch:
            return mm / kMmPerInch;
        case ELengthUnit::Point:
            return mm / kMmPerInch * kPointsPerInch;
        case ELengthUnit::Q:
            return mm * kQPerMm;
        default:
            return mm;
    }
}

double CUnitConversion::UnitToMm(double value, ELengthUnit unit) {
    switch (unit) {
        case ELengthUnit::Inch:
            return value * kMmPerInch;
        case ELengthUnit::Point:
            return value / kPointsPerInch * kMmPerInch;
        case ELengthUnit::Q:
            return value * 0.25;
        default:
            return value;
    }
}

double CUnitConversion::PixelsToUnit(double pixels, int32_t dpi, ELengthUnit unit) {
    if (dpi <= 0) {
        return 0;
    }
    const double inches = pixels / dpi;
    switch (unit) {
        case ELengthUnit::Inch:
            return inches;
        case ELengthUnit::Point:
            return inches * kPointsPerInch;
        case ELengthUnit::Q:
            return inches * kMmPerInch * kQPerMm;
        default:
            return inches * kMmPerInch;
    }
}

double CUnitConversion::PixelsPerUnit(int32_t dpi, ELengthUnit unit) {
    switch (unit) {
        case ELengthUnit::Inch:
            return dpi;
        case ELengthUnit::Point:
            return dpi / kPointsPerInch;
        case ELengthUnit::Q:
            return dpi / kMmPerInch * 0.25;
        default:
            return dpi / kMmPerInch;
    }
}

int32_t CUnitConversion::UnitToPixels(double value, ELengthUnit unit, int32_t dpi) {
    const double inches = unit == ELengthUnit::Inch ? value : UnitToMm(value, unit) / kMmPerInch;
    return Round(dpi * inches);
}

int32_t CUnitConversion::RescalePixels(int32_t pixels, int32_t from, int32_t to) {
    if (from <= 0) {
        return pixels;
    }
    return Round(static_cast<double>(pixels) / from * to);
}

int32_t CUnitConversion::Round(double value) {
    return ClampToInt(std::trunc(value + 0.5));
}

int32_t CUnitConversion::Truncate(double value) {
    return ClampToInt(std::trunc(value));
}

std::wstring CUnitConversion::FormatLength(double valueInUnit, ELengthUnit unit) {
    return CTextFormat::Fixed(valueInUnit, Decimals(unit));
}
