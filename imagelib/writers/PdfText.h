#pragma once
// Text output of the PDF writer: printf-formatted pieces written to the
// stream byte for byte, and 64-bit numbers for offsets and lengths (which
// printf spells differently from one C runtime to another).
#include "ComFile.h"

#include <cstdint>
#include <string>

namespace corv {

#if defined(__GNUC__)
#define CORV_PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define CORV_PRINTF_LIKE(fmt, args)
#endif

std::string PdfFormat(const char *format, ...) CORV_PRINTF_LIKE(1, 2);
void PdfWrite(CComFile &stream, const std::string &text);

// `value` in decimal, zero-padded on the left to at least `width` digits.
std::string PdfDecimal(int64_t value, int width = 0);

}  // namespace corv
