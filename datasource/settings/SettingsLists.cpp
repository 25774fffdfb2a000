#include "SettingsLists.h"

#include <array>

#include "res/settings_ids.h"

namespace {

// Entries whose labels are consecutive string ids and whose codes follow the
// index at a fixed distance.
template <size_t N>
constexpr std::array<SValueEntry, N> Consecutive(unsigned firstLabel, int32_t codeOffset,
                                                 int32_t codeStep, int32_t defaultIndex) {
    std::array<SValueEntry, N> entries{};
    for (size_t i = 0; i < N; ++i) {
        const auto index = static_cast<int32_t>(i);
        entries[i] = {index, firstLabel + static_cast<unsigned>(i), index == defaultIndex,
                      codeOffset + codeStep * index};
    }
    return entries;
}

constexpr int32_t kStandardSizes = 26;  // codes 3..28

// Auto-detect first, then the standard sizes, the custom size last.
constexpr std::array<SValueEntry, kStandardSizes + 2> DocumentSizes() {
    std::array<SValueEntry, kStandardSizes + 2> entries{};
    entries[0] = {0, IDS_SIZE_AUTO, true, 0};
    const auto sizes = Consecutive<kStandardSizes>(IDS_SIZE_FIRST, 3, 1, -1);
    for (int32_t i = 0; i < kStandardSizes; ++i) {
        entries[i + 1] = {i + 1, sizes[i].labelId, false, sizes[i].code};
    }
    entries[kStandardSizes + 1] = {kStandardSizes + 1, IDS_SIZE_CUSTOM, false, 2};
    return entries;
}

constexpr auto kColorMode = Consecutive<3>(IDS_COLOR_FULL, 0, 1, 0);
constexpr auto kResolution = Consecutive<4>(IDS_RES_200, 0, 1, 0);
constexpr auto kDocumentSize = DocumentSizes();
constexpr auto kTwoSided = Consecutive<3>(IDS_FACE_SIMPLEX, 0, 1, 0);
constexpr auto kMixedSize = Consecutive<2>(IDS_MIX_OFF, 0, 1, 0);
constexpr auto kDensity = Consecutive<7>(IDS_DENSITY_FIRST, -3, 1, 3);
// These three run from the strongest (+2) down to -2.
constexpr auto kContrast = Consecutive<5>(IDS_CONTRAST_FIRST, 2, -1, 2);
constexpr auto kSaturation = Consecutive<5>(IDS_SATURATION_FIRST, 2, -1, 2);
constexpr auto kSharpness = Consecutive<5>(IDS_SHARPNESS_FIRST, 2, -1, 2);
constexpr std::array<SValueEntry, 3> kDocumentType{{
    {0, IDS_IMAGEMODE_TEXTPHOTO, true, 2},
    {1, IDS_IMAGEMODE_TEXT, false, 0},
    {2, IDS_IMAGEMODE_PHOTO, false, 1},
}};
constexpr auto kBackground = Consecutive<2>(IDS_BACKGROUND_OFF, 0, 1, 0);
constexpr auto kShowThrough = Consecutive<2>(IDS_BLEEDTHROUGH_OFF, 0, 1, 0);
constexpr auto kPhotoPaper = Consecutive<2>(IDS_PHOTOPAPER_OFF, 0, 1, 0);
constexpr std::array<SValueEntry, 4> kMagnificationMode{{
    {0, IDS_MAG_100, true, 0},
    {1, IDS_MAG_FIXED, false, 1},
    {2, IDS_MAG_ZOOM, false, 2},
    {3, IDS_MAG_AUTO, false, 3},
}};
constexpr auto kPresetRatio = Consecutive<7>(IDS_MAG_FIXED_FIRST, 0, 1, 1);
constexpr auto kAutoTarget = Consecutive<kStandardSizes>(IDS_SIZE_FIRST, 3, 1, 0);
constexpr auto kFormat = Consecutive<5>(IDS_FORMAT_FIRST, 0, 1, 3);
constexpr auto kTwoLevel = Consecutive<3>(IDS_MONO_FIRST, 0, 1, 0);
constexpr auto kColorCompression = Consecutive<5>(IDS_COLORCOMP_FIRST, 0, 1, 2);
constexpr auto kEncoding = Consecutive<2>(IDS_ENCODE_ASCII, 0, 1, 1);
constexpr auto kCorrection = Consecutive<2>(IDS_CORRECTION_OFF, 0, 1, 0);

}  // namespace

#define CORV_VALUE_LIST(name, table)           \
    const CValueList &CSettingsLists::name() { \
        static const CValueList list(table);   \
        return list;                           \
    }

CORV_VALUE_LIST(ColorMode, kColorMode)
CORV_VALUE_LIST(Resolution, kResolution)
CORV_VALUE_LIST(DocumentSize, kDocumentSize)
CORV_VALUE_LIST(TwoSided, kTwoSided)
CORV_VALUE_LIST(MixedSize, kMixedSize)
CORV_VALUE_LIST(Density, kDensity)
CORV_VALUE_LIST(Contrast, kContrast)
CORV_VALUE_LIST(Saturation, kSaturation)
CORV_VALUE_LIST(Sharpness, kSharpness)
CORV_VALUE_LIST(DocumentType, kDocumentType)
CORV_VALUE_LIST(BackgroundRemoval, kBackground)
CORV_VALUE_LIST(ShowThrough, kShowThrough)
CORV_VALUE_LIST(PhotographicPaper, kPhotoPaper)
CORV_VALUE_LIST(MagnificationMode, kMagnificationMode)
CORV_VALUE_LIST(PresetRatio, kPresetRatio)
CORV_VALUE_LIST(AutoTargetSize, kAutoTarget)
CORV_VALUE_LIST(OutputFormat, kFormat)
CORV_VALUE_LIST(TwoLevelCompression, kTwoLevel)
CORV_VALUE_LIST(ColorCompression, kColorCompression)
CORV_VALUE_LIST(Encoding, kEncoding)
CORV_VALUE_LIST(LevelCorrection, kCorrection)

#undef CORV_VALUE_LIST
