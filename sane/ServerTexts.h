// The scan job's string table for a program without Windows resources:
// the same texts, compiled in from the data source's resource script.
#pragma once

#include "StringSource.h"

class CServerTexts : public IStringSource {
public:
    std::wstring Load(unsigned id) const override;
};
