// The settings' string table for tests: read from the resource script in the
// native build, loaded from the test module's own resources under Windows.
#pragma once

#include "StringSource.h"

const IStringSource &TestStrings();
