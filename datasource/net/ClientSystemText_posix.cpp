#include "ClientSystemText.h"

// Native builds have no Windows version to report.
COsVersion QueryOsVersion() {
    return COsVersion{};
}
