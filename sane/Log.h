// The backend's debug log: SANE_DEBUG_CORVNET sets the level (errors, at
// level 1, are shown unless it is 0), lines go to standard error.
#pragma once

void CorvLog(int level, const char *format, ...) __attribute__((format(printf, 2, 3)));
