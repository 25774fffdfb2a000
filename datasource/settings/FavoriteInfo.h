// One favourite: a named, commented snapshot of the setting pages, kept as
// one small INI file per favourite (section "favorite"). It holds the
// pages' list positions, not the settings' value codes; the value lists
// translate when a favourite is applied or made from the settings.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "ProfileFile.h"
#include "ScanSettings.h"

class CFavoriteInfo {
public:
    bool IsCurrent = false;   // entry 0, "<現在の設定>"
    bool IsStandard = false;  // entry 1, "標準"
    std::string Name;         // ANSI; also the file's name
    std::string Comment;

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
    int32_t ImageMode = 0;
    int32_t EnableBackground = 0;
    int32_t BleedthroughRemoval = 0;
    int32_t Photographs = 0;
    int32_t Magnification = 0;
    int32_t MagnificationFixed = 0;
    int32_t MagnificationZoom = 0;
    int32_t MagnificationAuto = 0;
    double EdgeErase = 2;
    // Output options: carried unchanged.
    int32_t Format = 0;
    int32_t Monochrome = 0;
    int32_t Color = 0;
    int32_t Encode = 0;
    int32_t Correction = 0;

    // One key of the file, in file order: exactly one member pointer is set.
    struct SKey {
        const char *name;
        int32_t CFavoriteInfo::*intField;
        double CFavoriteInfo::*realField;
        std::string CFavoriteInfo::*textField;
    };
    static std::span<const SKey> Keys();

    // Missing keys take the read defaults: empty texts, 0, 100 mm sizes,
    // 2 mm edge erase. Texts longer than 259 bytes are cut there.
    static CFavoriteInfo Load(const IProfileFile &file);
    // False when the file could not be written.
    bool Save(IProfileFile &file) const;

    // The favourite of these settings: list positions from their codes.
    static CFavoriteInfo FromSettings(const CScanSettings &settings);
    // The settings this favourite shows: codes from its positions; a
    // position no list has takes that list's standard choice.
    void ApplyTo(CScanSettings &settings) const;

    bool operator==(const CFavoriteInfo &) const = default;
};
