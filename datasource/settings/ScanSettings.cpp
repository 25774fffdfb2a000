#include "ScanSettings.h"

#include <array>

#include "SettingsLists.h"

namespace {

using S = CScanSettings;

constexpr S::SKey Int(const char *name, int32_t S::*field, int32_t iniDefault) {
    return {name, field, nullptr, iniDefault};
}
constexpr S::SKey Real(const char *name, double S::*field, int32_t iniDefault) {
    return {name, nullptr, field, iniDefault};
}

constexpr std::array<S::SKey, 26> kKeys{{
    Int("PaperPlace", &S::PaperPlace, 0),
    Int("ColorMode", &S::ColorMode, 0),
    Int("Resolution", &S::Resolution, 0),
    Int("InputMediumSize", &S::InputMediumSize, 0),
    Real("InputMediumCustomWidth", &S::InputMediumCustomWidth, 100),
    Real("InputMediumCustomHeight", &S::InputMediumCustomHeight, 100),
    Int("ScanFace", &S::ScanFace, 0),
    Int("InputMediumMix", &S::InputMediumMix, 0),
    Int("Brightness", &S::Brightness, 0),
    Int("Contrast", &S::Contrast, 0),
    Int("Saturation", &S::Saturation, 0),
    Int("Sharpness", &S::Sharpness, 0),
    Int("ImageMode", &S::ImageMode, 2),
    Int("EnableBackground", &S::EnableBackground, 0),
    Int("BleedthroughRemoval", &S::BleedthroughRemoval, 0),
    Int("Photographs", &S::Photographs, -1),
    Int("Magnification", &S::Magnification, 0),
    Int("MagnificationFixed", &S::MagnificationFixed, 1),
    Int("MagnificationZoom", &S::MagnificationZoom, 100),
    Int("MagnificationAuto", &S::MagnificationAuto, 3),
    Real("EdgeErase", &S::EdgeErase, 2),
    Int("Format", &S::Format, 0),
    Int("Monochrome", &S::Monochrome, 0),
    Int("Color", &S::Color, 0),
    Int("Encode", &S::Encode, 0),
    Int("Correction", &S::Correction, 0),
}};

}  // namespace

std::span<const S::SKey> CScanSettings::Keys() {
    return kKeys;
}

CScanSettings CScanSettings::IniDefaults() {
    CScanSettings s;
    for (const SKey &key : Keys()) {
        if (key.intField != nullptr) {
            s.*key.intField = key.iniDefault;
        } else {
            s.*key.realField = key.iniDefault;
        }
    }
    return s;
}

CScanSettings CScanSettings::Standard() {
    using L = CSettingsLists;
    CScanSettings s;
    s.PaperPlace = 0;
    s.ColorMode = L::ColorMode().DefaultCode();
    s.Resolution = L::Resolution().DefaultCode();
    s.InputMediumSize = L::DocumentSize().DefaultCode();
    s.InputMediumCustomWidth = 100;
    s.InputMediumCustomHeight = 100;
    s.ScanFace = L::TwoSided().DefaultCode();
    s.InputMediumMix = L::MixedSize().DefaultCode();
    s.Brightness = L::Density().DefaultCode();
    s.Contrast = L::Contrast().DefaultCode();
    s.Saturation = L::Saturation().DefaultCode();
    s.Sharpness = L::Sharpness().DefaultCode();
    s.ImageMode = L::DocumentType().DefaultCode();
    s.EnableBackground = L::BackgroundRemoval().DefaultCode();
    s.BleedthroughRemoval = L::ShowThrough().DefaultCode();
    s.Photographs = L::PhotographicPaper().DefaultCode();
    s.Magnification = L::MagnificationMode().DefaultCode();
    s.MagnificationFixed = L::PresetRatio().DefaultCode();
    s.MagnificationZoom = 100;
    s.MagnificationAuto = L::AutoTargetSize().DefaultCode();
    s.EdgeErase = 2;
    s.Format = L::OutputFormat().DefaultCode();
    s.Monochrome = L::TwoLevelCompression().DefaultCode();
    s.Color = L::ColorCompression().DefaultCode();
    s.Encode = L::Encoding().DefaultCode();
    s.Correction = L::LevelCorrection().DefaultCode();
    return s;
}

int32_t CScanSettings::DpiFromResolutionCode(int32_t code) {
    switch (code) {
        case 0:
            return 200;
        case 1:
            return 300;
        case 3:
            return 600;
        default:
            return 400;
    }
}
