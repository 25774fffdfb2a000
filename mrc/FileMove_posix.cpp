#include "FileMove.h"

#include <cstdio>

namespace corv::mrc {

bool MoveReplacing(const char *from, const char *to) {
    return std::rename(from, to) == 0;
}

}  // namespace corv::mrc
