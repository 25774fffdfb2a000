#include "FileMove.h"

#include <windows.h>

namespace corv::mrc {

bool MoveReplacing(const char *from, const char *to) {
    // The paths come from the caller in the ANSI code page.
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

}  // namespace corv::mrc
