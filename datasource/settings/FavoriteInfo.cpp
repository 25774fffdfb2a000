#include "FavoriteInfo.h"

#include <cstdio>
#include <cstdlib>

#include "ProfileValues.h"
#include "SettingsLists.h"

namespace {

constexpr const char kSection[] = "favorite";
constexpr size_t kTextBuffer = 260;

using F = CFavoriteInfo;
constexpr F::SKey kKeys[] = {
    {"Name", nullptr, nullptr, &F::Name},
    {"Comment", nullptr, nullptr, &F::Comment},
    {"PaperPlace", &F::PaperPlace, nullptr, nullptr},
    {"ColorMode", &F::ColorMode, nullptr, nullptr},
    {"Resolution", &F::Resolution, nullptr, nullptr},
    {"InputMediumSize", &F::InputMediumSize, nullptr, nullptr},
    {"InputMediumCustomWidth", nullptr, &F::InputMediumCustomWidth, nullptr},
    {"InputMediumCustomHeight", nullptr, &F::InputMediumCustomHeight, nullptr},
    {"ScanFace", &F::ScanFace, nullptr, nullptr},
    {"InputMediumMix", &F::InputMediumMix, nullptr, nullptr},
    {"Brightness", &F::Brightness, nullptr, nullptr},
    {"Contrast", &F::Contrast, nullptr, nullptr},
    {"Saturation", &F::Saturation, nullptr, nullptr},
    {"Sharpness", &F::Sharpness, nullptr, nullptr},
    {"ImageMode", &F::ImageMode, nullptr, nullptr},
    {"EnableBackground", &F::EnableBackground, nullptr, nullptr},
    {"BleedthroughRemoval", &F::BleedthroughRemoval, nullptr, nullptr},
    {"Photographs", &F::Photographs, nullptr, nullptr},
    {"Magnification", &F::Magnification, nullptr, nullptr},
    {"MagnificationFixed", &F::MagnificationFixed, nullptr, nullptr},
    {"MagnificationZoom", &F::MagnificationZoom, nullptr, nullptr},
    {"MagnificationAuto", &F::MagnificationAuto, nullptr, nullptr},
    {"EdgeErase", nullptr, &F::EdgeErase, nullptr},
    {"Format", &F::Format, nullptr, nullptr},
    {"Monochrome", &F::Monochrome, nullptr, nullptr},
    {"Color", &F::Color, nullptr, nullptr},
    {"Encode", &F::Encode, nullptr, nullptr},
    {"Correction", &F::Correction, nullptr, nullptr},
};

// A setting shown by a list on the pages, with the value list that turns
// its position into the settings' code.
struct SListed {
    int32_t CFavoriteInfo::*position;
    int32_t CScanSettings::*code;
    const CValueList &(*list)();
};
constexpr SListed kListed[] = {
    {&F::ColorMode, &CScanSettings::ColorMode, &CSettingsLists::ColorMode},
    {&F::Resolution, &CScanSettings::Resolution, &CSettingsLists::Resolution},
    {&F::InputMediumSize, &CScanSettings::InputMediumSize, &CSettingsLists::DocumentSize},
    {&F::ScanFace, &CScanSettings::ScanFace, &CSettingsLists::TwoSided},
    {&F::InputMediumMix, &CScanSettings::InputMediumMix, &CSettingsLists::MixedSize},
    {&F::Brightness, &CScanSettings::Brightness, &CSettingsLists::Density},
    {&F::Contrast, &CScanSettings::Contrast, &CSettingsLists::Contrast},
    {&F::Saturation, &CScanSettings::Saturation, &CSettingsLists::Saturation},
    {&F::Sharpness, &CScanSettings::Sharpness, &CSettingsLists::Sharpness},
    {&F::ImageMode, &CScanSettings::ImageMode, &CSettingsLists::DocumentType},
    {&F::EnableBackground, &CScanSettings::EnableBackground, &CSettingsLists::BackgroundRemoval},
    {&F::BleedthroughRemoval, &CScanSettings::BleedthroughRemoval, &CSettingsLists::ShowThrough},
    {&F::Photographs, &CScanSettings::Photographs, &CSettingsLists::PhotographicPaper},
    {&F::Magnification, &CScanSettings::Magnification, &CSettingsLists::MagnificationMode},
    {&F::MagnificationFixed, &CScanSettings::MagnificationFixed, &CSettingsLists::PresetRatio},
    {&F::MagnificationAuto, &CScanSettings::MagnificationAuto, &CSettingsLists::AutoTargetSize},
};

// Settings carried as they are, without a list.
struct SCarried {
    int32_t CFavoriteInfo::*favorite;
    int32_t CScanSettings::*setting;
};
constexpr SCarried kCarried[] = {
    {&F::PaperPlace, &CScanSettings::PaperPlace},
    {&F::MagnificationZoom, &CScanSettings::MagnificationZoom},
    {&F::Format, &CScanSettings::Format},
    {&F::Monochrome, &CScanSettings::Monochrome},
    {&F::Color, &CScanSettings::Color},
    {&F::Encode, &CScanSettings::Encode},
    {&F::Correction, &CScanSettings::Correction},
};

}  // namespace

std::span<const CFavoriteInfo::SKey> CFavoriteInfo::Keys() {
    return kKeys;
}

CFavoriteInfo CFavoriteInfo::Load(const IProfileFile &file) {
    CFavoriteInfo f;
    for (const SKey &key : kKeys) {
        if (key.textField) {
            std::string text = CProfileValues::ReadText(file, kSection, key.name);
            if (text.size() >= kTextBuffer)
                text.resize(kTextBuffer - 1);
            f.*key.textField = text;
        } else if (key.realField) {
            if (const auto text = file.Read(kSection, key.name))
                f.*key.realField = std::atof(text->c_str());
        } else {
            f.*key.intField = CProfileValues::ReadInt(file, kSection, key.name, 0);
        }
    }
    return f;
}

bool CFavoriteInfo::Save(IProfileFile &file) const {
    bool written = true;
    for (const SKey &key : kKeys) {
        std::string value;
        if (key.textField) {
            value = this->*key.textField;
        } else if (key.realField) {
            char text[64] = {};
            std::snprintf(text, sizeof(text), "%.1lf", this->*key.realField);
            value = text;
        } else {
            value = std::to_string(this->*key.intField);
        }
        written = file.Write(kSection, key.name, value) && written;
    }
    return written;
}

CFavoriteInfo CFavoriteInfo::FromSettings(const CScanSettings &s) {
    CFavoriteInfo f;
    for (const SListed &l : kListed) {
        const int32_t index = l.list().CodeToIndex(s.*l.code);
        f.*l.position = index < 0 ? l.list().DefaultIndex() : index;
    }
    for (const SCarried &c : kCarried)
        f.*c.favorite = s.*c.setting;
    // A photographic-paper choice that is not offered (-1) shows unchecked.
    if (s.Photographs < 0)
        f.Photographs = 0;
    f.InputMediumCustomWidth = s.InputMediumCustomWidth;
    f.InputMediumCustomHeight = s.InputMediumCustomHeight;
    f.EdgeErase = s.EdgeErase;
    return f;
}

void CFavoriteInfo::ApplyTo(CScanSettings &s) const {
    for (const SListed &l : kListed) {
        const int32_t position = this->*l.position;
        const bool listed = position >= 0 && position < static_cast<int32_t>(l.list().Count());
        s.*l.code = listed ? l.list().IndexToCode(position) : l.list().DefaultCode();
    }
    for (const SCarried &c : kCarried)
        s.*c.setting = this->*c.favorite;
    s.InputMediumCustomWidth = InputMediumCustomWidth;
    s.InputMediumCustomHeight = InputMediumCustomHeight;
    s.EdgeErase = EdgeErase;
}
