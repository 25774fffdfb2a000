#include "PageRules.h"

#include <cstdio>
#include <cwchar>

#include "LengthLimits.h"
#include "SettingsLists.h"

SBasicEnabling CPageRules::Basic(int32_t paperPlace, bool mixedSize, int32_t sizeIndex) {
    const bool platen = paperPlace == 0;
    const bool sizeChoice = platen || !mixedSize;
    return {sizeChoice, sizeChoice && sizeIndex == CSettingsLists::kCustomSizeIndex, platen,
            !platen};
}

SQualityEnabling CPageRules::Quality(int32_t colourIndex, int32_t paperPlace, bool photoOption) {
    SQualityEnabling e{};
    e.contrast = e.showThrough = colourIndex == 0 || colourIndex == 1;
    e.saturation = colourIndex == 0;
    e.documentType = colourIndex == 2;
    e.photoShown = photoOption;
    e.photoEnabled = photoOption && paperPlace == 0;
    e.photoCleared = !e.photoEnabled;
    return e;
}

SInputEnabling CPageRules::Input(int32_t magnification) {
    return {magnification == 1, magnification == 2, magnification == 3};
}

int32_t CPageRules::ZoomFromText(std::wstring_view text) {
    // The spin control takes plain decimal digits only; whatever it cannot
    // read becomes the minimum, as does an empty edit.
    int64_t value = 0;
    bool digits = !text.empty() && text.size() <= 9;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            digits = false;
            break;
        }
        value = value * 10 + (c - L'0');
    }
    if (!digits)
        return CLengthLimits::kZoomMin;
    if (value > CLengthLimits::kZoomMax)
        return CLengthLimits::kZoomMax;
    if (value < CLengthLimits::kZoomMin)
        return CLengthLimits::kZoomMin;
    return static_cast<int32_t>(value);
}

uint64_t CPageRules::EstimatedBytes(uint64_t pixels, int32_t colourMode) {
    switch (colourMode) {
        case 0:
            return pixels * 3;
        case 2:
            return pixels / 8;
        default:
            return pixels;
    }
}

std::wstring CPageRules::EstimatedSizeText(uint64_t bytes) {
    wchar_t text[64] = {};
    if (bytes < 0x100001)
        std::swprintf(text, 64, L"%d.%.1d K", static_cast<int>(bytes / 1024),
                      static_cast<int>(bytes * 10 / 1024 % 10));
    else
        std::swprintf(text, 64, L"%.1f M", static_cast<double>(bytes) / 1048576.0);
    return text;
}
