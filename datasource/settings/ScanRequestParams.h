// The scan parameters that BEGIN_JOB sends, taken from the settings record
// when a scan or prescan starts.
#pragma once

#include <array>
#include <cstdint>

#include "ScanSettings.h"

struct SMagnification {
    int32_t isotropic;         // X_ISOTROPIC, percent (0 for automatic)
    int32_t outputMediumSize;  // X_OUTPUTMEDIUMSIZE, target size code or 0
    bool operator==(const SMagnification &) const = default;
};

class CScanRequestParams {
public:
    int32_t PaperPlace = 0;
    int32_t ScanFace = 0;
    int32_t ColorMode = 0;
    int32_t Resolution = 0;  // the code 0..3, not dots per inch
    int32_t InputMediumSize = 0;
    int32_t ImageWidth = 0;   // tenths of a millimetre
    int32_t ImageHeight = 0;  // tenths of a millimetre
    int32_t InputMediumMix = 0;
    int32_t Brightness = 0;
    int32_t Contrast = 0;
    int32_t Saturation = 0;
    int32_t Sharpness = 0;
    int32_t EnableBackgroundElimination = 0;
    int32_t BleedthroughRemoval = 0;
    int32_t Photographs = 0;
    int32_t ImageMode = 0;
    int32_t Isotropic = 0;
    int32_t EdgeErase = 0;  // whole millimetres
    int32_t OutputMediumSize = 0;

    // A prescan always reads from the platen glass. photoOffered: the
    // photographic-paper option is offered ("UsePhoto"); without it the
    // server is told -1 whatever an older setting holds.
    static CScanRequestParams FromSettings(const CScanSettings &settings, bool prescan,
                                           bool photoOffered);
    static SMagnification Magnification(int32_t mode, int32_t fixedIndex, int32_t zoom,
                                        int32_t autoSize);

    struct SField {
        const char *key;  // request key, "X_PAPER_PLACE" ...
        int32_t value;
    };
    // Every parameter with its request key, in the order of the request.
    std::array<SField, 19> Fields() const;

    bool operator==(const CScanRequestParams &) const = default;
};
