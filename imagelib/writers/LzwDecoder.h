#pragma once
// The decoding side of the TIFF LZW variant (MSB-first codes, Clear 256,
// EOI 257, 9 to 12 bits, early change): one strip at a time into a block
// of known size. Codes that the table does not hold raise the TIFF
// library's "corrupt lzw file".
#include <cstddef>
#include <cstdint>

namespace corv {

// Decodes `length` code bytes into `out`, at most `capacity` bytes; returns
// the bytes produced (a strip may end early: its rows stay as they were).
size_t LzwDecodeStrip(const uint8_t *in, size_t length, uint8_t *out, size_t capacity);

// PackBits: decodes `length` bytes into at most `capacity` bytes; returns
// the bytes produced.
size_t UnpackBits(const uint8_t *in, size_t length, uint8_t *out, size_t capacity);

}  // namespace corv
