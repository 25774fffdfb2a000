// The input page (template 1045): magnification mode with its preset
// ratio, zoom and automatic target size, and the edge erase.
#pragma once

#include "PageCommon.h"

class CPageInput : public CPageCommon {
public:
    explicit CPageInput(IPageOwner &owner);

    void ApplyRules() override;
    void ApplyUnit() override;

protected:
    BOOL OnInitDialog() override;
};
