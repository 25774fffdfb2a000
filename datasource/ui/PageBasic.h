// The basic page (template 1043): colour mode, resolution, document size
// with the custom size, the preview area's edits and the feeder's
// two-sided and mixed-size choices.
#pragma once

#include "PageCommon.h"

class CPageBasic : public CPageCommon {
public:
    explicit CPageBasic(IPageOwner &owner);

    bool Store(CScanSettings &settings, bool check) override;
    void ApplyRules() override;
    void ApplyUnit() override;
    int32_t ColourIndex() const;
    // The area edits follow the preview: enabled only while one exists.
    void EnableAreaEdits(bool enable);

protected:
    BOOL OnInitDialog() override;
    void Accepted(const SPageControl &c) override;
    bool RangeChecked(const SPageControl &c) const override;

private:
    int32_t SizeIndex() const;
};
