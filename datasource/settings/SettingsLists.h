// The value lists of every choice on the setting pages.
#pragma once

#include "ValueList.h"

class CSettingsLists {
public:
    static const CValueList &ColorMode();
    static const CValueList &Resolution();
    static const CValueList &DocumentSize();  // list index 27 is the custom size
    static const CValueList &TwoSided();
    static const CValueList &MixedSize();
    static const CValueList &Density();
    static const CValueList &Contrast();
    static const CValueList &Saturation();
    static const CValueList &Sharpness();
    static const CValueList &DocumentType();
    static const CValueList &BackgroundRemoval();
    static const CValueList &ShowThrough();
    static const CValueList &PhotographicPaper();
    static const CValueList &MagnificationMode();
    static const CValueList &PresetRatio();
    static const CValueList &AutoTargetSize();
    static const CValueList &OutputFormat();
    static const CValueList &TwoLevelCompression();
    static const CValueList &ColorCompression();
    static const CValueList &Encoding();
    static const CValueList &LevelCorrection();

    static constexpr int32_t kCustomSizeIndex = 27;
};
