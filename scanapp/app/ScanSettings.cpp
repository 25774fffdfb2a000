#include "ScanSettings.h"

#include "ResString.h"
#include "res/scanapp_ids.h"

// One row of the table: a text or an integer member with its default.
struct CScanSettings::SKey {
    UINT nameId;
    std::string CScanSettings::*text;
    int CScanSettings::*number;
    const char *textDefault;
    int numberDefault;
};

const CScanSettings::SKey CScanSettings::kKeys[] = {
    {IDS_KEY_PATH, &CScanSettings::Path, nullptr, "", 0},
    {IDS_KEY_TYPE, nullptr, &CScanSettings::Type, nullptr, 0},
    {IDS_KEY_JPEG_QUALITY, nullptr, &CScanSettings::JpegQuality, nullptr, 1},
    {IDS_KEY_BW_COMPRESSION, nullptr, &CScanSettings::BwCompression, nullptr, 0},
    {IDS_KEY_GRAY_COMPRESSION, nullptr, &CScanSettings::GrayCompression, nullptr, 0},
    {IDS_KEY_PDF_JPEG_QUALITY, nullptr, &CScanSettings::PdfJpegQuality, nullptr, 1},
    {IDS_KEY_ENCODE, nullptr, &CScanSettings::Encode, nullptr, 0},
    {IDS_KEY_COMPRESSION, nullptr, &CScanSettings::Compression, nullptr, 0},
    {IDS_KEY_STARTUP, nullptr, &CScanSettings::Startup, nullptr, 1},
    {IDS_KEY_ASK_COMPRESSION, nullptr, &CScanSettings::AskCompression, nullptr, 0},
    {IDS_KEY_CURRENT_DS, &CScanSettings::CurrentDs, nullptr, "", 0},
    {IDS_KEY_UNIT, nullptr, &CScanSettings::Unit, nullptr, 1},
    {IDS_KEY_CORRECTION, nullptr, &CScanSettings::Correction, nullptr, 0},
};

void CScanSettings::Read(HINSTANCE module, const std::string &file) {
    const std::string section = LoadResStringAnsi(module, IDS_SECTION);
    for (const SKey &key : kKeys) {
        const std::string name = LoadResStringAnsi(module, key.nameId);
        if (key.text) {
            char value[260] = {};
            ::GetPrivateProfileStringA(section.c_str(), name.c_str(), key.textDefault, value,
                                       sizeof value, file.c_str());
            this->*key.text = value;
        } else {
            this->*key.number = static_cast<int>(::GetPrivateProfileIntA(
                section.c_str(), name.c_str(), key.numberDefault, file.c_str()));
        }
    }
}

void CScanSettings::Load(HINSTANCE module, const std::string &profile,
                         const std::string &defaults) {
    const bool exists = ::GetFileAttributesA(profile.c_str()) != INVALID_FILE_ATTRIBUTES;
    Read(module, exists ? profile : defaults);
}

bool CScanSettings::Write(HINSTANCE module, const std::string &file) const {
    const std::string section = LoadResStringAnsi(module, IDS_SECTION);
    bool ok = true;
    for (const SKey &key : kKeys) {
        const std::string name = LoadResStringAnsi(module, key.nameId);
        const std::string value = key.text ? this->*key.text : std::to_string(this->*key.number);
        ok = ::WritePrivateProfileStringA(section.c_str(), name.c_str(), value.c_str(),
                                          file.c_str()) != 0 &&
             ok;
    }
    return ok;
}
