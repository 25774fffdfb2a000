#include "PackBits.h"

#include <cstring>

namespace corv {
namespace {
constexpr size_t kMaxRun = 128;
}

size_t PackBitsRow(const uint8_t *in, size_t length, uint8_t *out) {
    size_t o = 0;
    size_t i = 0;
    while (i < length) {
        size_t run = 1;
        while (i + run < length && run < kMaxRun && in[i + run] == in[i])
            ++run;
        if (run >= 2) {
            out[o++] = static_cast<uint8_t>(1 - static_cast<int>(run));
            out[o++] = in[i];
            i += run;
            continue;
        }
        size_t start = i;
        while (i < length && i - start < kMaxRun && !(i + 1 < length && in[i + 1] == in[i]))
            ++i;
        size_t n = i - start;
        out[o++] = static_cast<uint8_t>(n - 1);
        std::memcpy(out + o, in + start, n);
        o += n;
    }
    return o;
}

}  // namespace corv
