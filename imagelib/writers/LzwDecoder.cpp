#include "LzwDecoder.h"

#include "ImageError.h"

#include <cstring>
#include <vector>

namespace corv {
namespace {

constexpr int kClear = 256;
constexpr int kEndOfInformation = 257;
constexpr int kFirstFree = 258;
constexpr int kTableSize = 4096;

[[noreturn]] void Corrupt() {
    SetTiffLastError(static_cast<int>(kErrLzwCorrupt));
    RaiseImageError(kErrLzwCorrupt);
}

}  // namespace

size_t LzwDecodeStrip(const uint8_t *in, size_t length, uint8_t *out, size_t capacity) {
    // Each entry is its prefix code and last byte; strings are written
    // backwards from their known length.
    uint16_t prefix[kTableSize];
    uint8_t suffix[kTableSize];
    uint16_t lengths[kTableSize];
    for (int i = 0; i < 256; ++i) {
        prefix[i] = 0;
        suffix[i] = static_cast<uint8_t>(i);
        lengths[i] = 1;
    }
    size_t produced = 0;
    uint64_t acc = 0;
    int accBits = 0;
    size_t pos = 0;
    int width = 9;
    int next = kFirstFree;
    int previous = -1;
    for (;;) {
        while (accBits < width) {
            if (pos >= length)
                return produced;  // no EOI: the strip simply ends
            acc = acc << 8 | in[pos++];
            accBits += 8;
        }
        const int code = static_cast<int>((acc >> (accBits - width)) & ((1u << width) - 1));
        accBits -= width;
        if (code == kEndOfInformation)
            return produced;
        if (code == kClear) {
            width = 9;
            next = kFirstFree;
            previous = -1;
            continue;
        }
        int emit = code;
        uint8_t first;
        if (code < next && (code < 256 || code >= kFirstFree)) {
            // Known code.
        } else if (code == next && previous >= 0) {
            emit = previous;  // KwKwK: the previous string and its own first byte
        } else {
            Corrupt();
        }
        const size_t n = lengths[emit] + (emit != code ? 1u : 0u);
        if (n > capacity - produced)
            return produced;  // more than the strip holds: the rest is dropped
        {
            uint8_t *end = out + produced + lengths[emit];
            int c = emit;
            for (int i = lengths[emit]; i > 0; --i) {
                *--end = suffix[c];
                c = prefix[c];
            }
            first = out[produced];
            if (emit != code)
                out[produced + lengths[emit]] = first;
        }
        produced += n;
        if (previous >= 0 && next < kTableSize) {
            prefix[next] = static_cast<uint16_t>(previous);
            suffix[next] = first;
            lengths[next] = static_cast<uint16_t>(lengths[previous] + 1);
            ++next;
        }
        previous = code;
        // Early change: the width grows one code before the table needs it.
        if (next + 1 >= (1 << width) && width < 12)
            ++width;
    }
}

size_t UnpackBits(const uint8_t *in, size_t length, uint8_t *out, size_t capacity) {
    size_t i = 0, produced = 0;
    while (i < length && produced < capacity) {
        const auto n = static_cast<int8_t>(in[i++]);
        if (n >= 0) {
            size_t count = size_t(n) + 1;
            if (count > length - i)
                count = length - i;
            if (count > capacity - produced)
                count = capacity - produced;
            std::memcpy(out + produced, in + i, count);
            i += size_t(n) + 1;
            produced += count;
        } else if (n != -128) {
            if (i >= length)
                break;
            size_t count = size_t(1 - n);
            if (count > capacity - produced)
                count = capacity - produced;
            std::memset(out + produced, in[i++], count);
            produced += count;
        }
    }
    return produced;
}

}  // namespace corv
