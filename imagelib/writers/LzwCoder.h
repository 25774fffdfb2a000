#pragma once
// The TIFF variant of LZW (MSB-first codes, Clear 256, EOI 257, 9 to 12
// bits, early change). Each strip is coded as one unit from Clear to EOI.
#include "ComFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace corv {

struct LzwCoder;

// The TIFF writer's table size: a prime above 4096 keeps probe chains short.
constexpr int kLzwHashSize = 5003;

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
