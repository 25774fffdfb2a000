#pragma once
// The TIFF variant of LZW (MSB-first codes, Clear 256, EOI 257, 9 to 12
// bits, early change). Each strip is coded as one unit from Clear to EOI.
#include "ComFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace corv {

struct LzwCoder;

// The TIFF writer's table size.
constexpr int kLzwHashSize = 5003;

// hashSize is the least number of table slots; the coder takes the next
// power of two, and never fewer than 8192, so that probes stay short. The
// table is only a way to find strings: its size never changes the codes.
// nullptr (and the TIFF library's last error 20003) when out of memory.
LzwCoder *CreateCoder(int hashSize);
// Returns the number of code bytes written to `stream`.
size_t CompressStrip(LzwCoder *coder, const uint8_t *bytes, size_t length, CComFile &stream);
void DestroyCoder(LzwCoder *coder);

struct LzwCoderDeleter {
    void operator()(LzwCoder *coder) const { DestroyCoder(coder); }
};
using LzwCoderPtr = std::unique_ptr<LzwCoder, LzwCoderDeleter>;

}  // namespace corv
