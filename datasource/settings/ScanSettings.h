// The scan settings record of one main dialog: what the pages chose, the
// preview area and the display unit. Lengths are millimetres.
#pragma once

#include <cstdint>
#include <span>

class CScanSettings {
public:
    // Preview selection in pixels at AreaResolution; all 0 means the whole page.
    int32_t AreaLeft = 0;
    int32_t AreaTop = 0;
    int32_t AreaWidth = 0;
    int32_t AreaHeight = 0;
    int32_t AreaResolution = 0;  // dots per inch

    int32_t Unit = 0;  // display unit, see ELengthUnit
    int32_t PaperPlace = 0;
    int32_t ColorMode = 0;
    int32_t Resolution = 0;
    int32_t InputMediumSize = 0;
    double InputMediumCustomWidth = 100;
    double InputMediumCustomHeight = 100;
    int32_t ScanFace = 0;
    int32_t InputMediumMix = 0;
    int32_t Brightness = 0;
    int32_t Contrast = 0;
    int32_t Saturation = 0;
    int32_t Sharpness = 0;
    int32_t ImageMode = 2;
    int32_t EnableBackground = 0;
    int32_t BleedthroughRemoval = 0;
    int32_t Photographs = -1;  // -1 when the photographic-paper option is not offered
    int32_t Magnification = 0;
    int32_t MagnificationFixed = 1;
    int32_t MagnificationZoom = 100;
    int32_t MagnificationAuto = 3;
    double EdgeErase = 2;
    // Output options: no control in the dialog, carried unchanged.
    int32_t Format = 0;
    int32_t Monochrome = 0;
    int32_t Color = 0;
    int32_t Encode = 0;
    int32_t Correction = 0;

    // One stored field of PrivteSettings.Ini: exactly one of the two members is set.
    struct SKey {
        const char *name;
        int32_t CScanSettings::*intField;
        double CScanSettings::*realField;
        int32_t iniDefault;
    };
    // Every key of section "Settings", in declaration order.
    static std::span<const SKey> Keys();

    // The values used for keys missing from the file (also the member initialisers).
    static CScanSettings IniDefaults();
    // The standard choices: the value lists' default entries, custom sizes
    // 100 mm, zoom 100 %, edge erase 2 mm.
    static CScanSettings Standard();

    // Resolution code to dots per inch: 0 → 200, 1 → 300, 3 → 600, others 400.
    static int32_t DpiFromResolutionCode(int32_t code);
    // Sets AreaResolution from Resolution, as the basic page's store step does.
    void UpdateAreaResolution() { AreaResolution = DpiFromResolutionCode(Resolution); }

    bool operator==(const CScanSettings &) const = default;
};
