#pragma once
// The code an image-library call raises, or 0 when it raises nothing.
#include "ImageError.h"

#include <cstdint>

namespace corv::test {

template <typename F>
uint32_t CodeOf(F &&fn) {
    try {
        fn();
    } catch (const CImageError &e) {
        return e.Code();
    }
    return 0;
}

}  // namespace corv::test
