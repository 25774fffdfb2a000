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
    // Each area edit shows its field of the record in the display unit.
    void ShowArea();

protected:
    BOOL OnInitDialog() override;
    void Accepted(const SPageControl &c) override;
    bool RangeChecked(const SPageControl &c) const override;
    void OnOtherCommand(int id, int code) override;

private:
    int32_t SizeIndex() const;
    CLengthEdit *AreaEdit(int id);

    CLengthEdit m_areaTop{EAreaEdge::Top};
    CLengthEdit m_areaLeft{EAreaEdge::Left};
    CLengthEdit m_areaWidth{EAreaEdge::Width};
    CLengthEdit m_areaHeight{EAreaEdge::Height};
};
