#include "DObject.h"

#include <cstdio>

namespace corv {

std::string DObject::DebugText() const {
    char text[32];
    std::snprintf(text, sizeof text, "DObject@%p", static_cast<const void *>(this));
    return text;
}

}  // namespace corv
