#include "ScanRequestParams.h"

#include "UnitConversion.h"

namespace {

constexpr int32_t kPresetPercent[] = {50, 70, 81, 86, 115, 122, 141};

}  // namespace

SMagnification CScanRequestParams::Magnification(int32_t mode, int32_t fixedIndex, int32_t zoom,
                                                 int32_t autoSize) {
    switch (mode) {
        case 0:
            return {100, 0};
        case 1:
            if (fixedIndex >= 0 && fixedIndex < static_cast<int32_t>(std::size(kPresetPercent))) {
                return {kPresetPercent[fixedIndex], 0};
            }
            return {100, 0};
        case 2:
            return {zoom, 0};
        case 3:
            return {0, autoSize};
        default:
            return {0, 0};
    }
}

namespace {

// Millimetres to whole tenths, truncated. 50.1 mm is 500.99999... tenths in
// binary floating point; the tolerance keeps it 501 without rounding any
// value a user could have typed.
int32_t TenthsOfMm(double mm) {
    return CUnitConversion::Truncate(mm * 10 + 1e-7);
}

}  // namespace

CScanRequestParams CScanRequestParams::FromSettings(const CScanSettings &s, bool prescan,
                                                    bool photoOffered) {
    CScanRequestParams p;
    p.PaperPlace = prescan ? 0 : s.PaperPlace;
    p.ScanFace = p.PaperPlace != 0 ? s.ScanFace : 0;
    p.ColorMode = s.ColorMode;
    p.Resolution = s.Resolution;
    p.InputMediumSize = s.InputMediumSize;
    p.ImageWidth = TenthsOfMm(s.InputMediumCustomWidth);
    p.ImageHeight = TenthsOfMm(s.InputMediumCustomHeight);
    p.InputMediumMix = s.InputMediumMix;
    p.Brightness = s.Brightness;
    p.Contrast = s.Contrast;
    p.Saturation = s.Saturation;
    p.Sharpness = s.Sharpness;
    p.EnableBackgroundElimination = s.EnableBackground;
    p.BleedthroughRemoval = s.BleedthroughRemoval;
    p.Photographs = photoOffered ? s.Photographs : -1;
    p.ImageMode = s.ImageMode;
    const SMagnification m = Magnification(s.Magnification, s.MagnificationFixed,
                                           s.MagnificationZoom, s.MagnificationAuto);
    p.Isotropic = m.isotropic;
    p.EdgeErase = CUnitConversion::Truncate(s.EdgeErase);
    p.OutputMediumSize = m.outputMediumSize;
    return p;
}

std::array<CScanRequestParams::SField, 19> CScanRequestParams::Fields() const {
    return {{
        {"X_PAPER_PLACE", PaperPlace},
        {"X_SCAN_FACE", ScanFace},
        {"X_COLOR_MODE", ColorMode},
        {"X_RESOLUTION", Resolution},
        {"X_INPUTMEDIUMSIZE", InputMediumSize},
        {"X_IMAGE_WIDTH", ImageWidth},
        {"X_IMAGE_HEIGHT", ImageHeight},
        {"X_INPUTMEDIUMMIX", InputMediumMix},
        {"X_BRIGHTNESS", Brightness},
        {"X_CONTRAST", Contrast},
        {"X_SATURATION", Saturation},
        {"X_SHARPNESS", Sharpness},
        {"X_ENABLEBACKGROUNDELIMINATION", EnableBackgroundElimination},
        {"X_BLEEDTHROUGHREMOVAL", BleedthroughRemoval},
        {"X_PHOTOGRAPHS", Photographs},
        {"X_IMAGE_MODE", ImageMode},
        {"X_ISOTROPIC", Isotropic},
        {"X_EDGEERASE", EdgeErase},
        {"X_OUTPUTMEDIUMSIZE", OutputMediumSize},
    }};
}
