// Under Windows the tests load the settings' strings from their own module,
// into which the resource script is linked: this also checks what the
// resource compiler made of it.
#include <windows.h>

#include "ModuleStrings_win.h"
#include "TestStrings.h"

const IStringSource &TestStrings() {
    static const CModuleStrings strings(GetModuleHandleW(nullptr));
    return strings;
}
