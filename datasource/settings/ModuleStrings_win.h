// The string table of one module: the data source's own, or a test's.
#pragma once

#include <windows.h>

#include "StringSource.h"

class CModuleStrings : public IStringSource {
public:
    explicit CModuleStrings(HINSTANCE module) : m_module(module) {}
    std::wstring Load(unsigned id) const override;

private:
    HINSTANCE m_module;
};
