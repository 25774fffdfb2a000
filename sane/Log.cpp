#include "Log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

int LogLevel() {
    static const int level = [] {
        const char *v = std::getenv("SANE_DEBUG_CORVNET");
        return v && *v ? std::atoi(v) : 1;
    }();
    return level;
}

}  // namespace

void CorvLog(int level, const char *format, ...) {
    if (level > LogLevel())
        return;
    std::va_list args;
    va_start(args, format);
    std::fputs("[corvnet] ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}
