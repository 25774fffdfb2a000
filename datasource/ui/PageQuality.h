// The quality page (template 1044): density, contrast, saturation,
// sharpness, document type, background removal, show-through prevention
// and the photographic-paper choice.
#pragma once

#include "PageCommon.h"

class CPageQuality : public CPageCommon {
public:
    explicit CPageQuality(IPageOwner &owner);

    bool Store(CScanSettings &settings, bool check) override;
    void ApplyRules() override;
};
