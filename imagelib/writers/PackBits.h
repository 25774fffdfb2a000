#pragma once
// PackBits run-length coding of one row (replicate runs of 2..128 equal
// bytes, literal runs of 1..128 bytes).
#include <cstddef>
#include <cstdint>

namespace corv {

// Worst case output for `length` input bytes. Two equal bytes always make a
// replicate run, so a single literal byte between such pairs (3 bytes in,
// 4 out) is the worst pattern, not the 128-byte literal.
constexpr size_t PackBitsBound(size_t length) {
    return length + length / 2 + 2;
}

// Codes `length` bytes into `out` (at least PackBitsBound bytes); returns
// the bytes written.
size_t PackBitsRow(const uint8_t *in, size_t length, uint8_t *out);

}  // namespace corv
