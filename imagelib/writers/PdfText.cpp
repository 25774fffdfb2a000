#include "PdfText.h"

#include "ImageError.h"

#include <cstdarg>
#include <cstdio>

namespace corv {
namespace {

// Every piece the writer formats is one short line or two.
constexpr size_t kMaxPiece = 512;

}  // namespace

std::string PdfFormat(const char *format, ...) {
    char text[kMaxPiece];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0 || static_cast<size_t>(n) >= sizeof text)
        RaiseImageError(kErrInvalidArg);
    return std::string(text, static_cast<size_t>(n));
}

void PdfWrite(CComFile &stream, const std::string &text) {
    stream.Write(text.data(), text.size());
}

std::string PdfDecimal(int64_t value, int width) {
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

}  // namespace corv
