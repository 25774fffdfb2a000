#include "FavoriteTree.h"

#include <cstdio>

#include "SettingsLists.h"
#include "res/favorite_dialogs_ids.h"

namespace {

using F = CFavoriteInfo;

// A setting shown as one line: label, a space, the label of its value.
struct SListedLine {
    unsigned label;
    int32_t CFavoriteInfo::*position;
    const CValueList &(*list)();
};
constexpr SListedLine kBasicLines[] = {
    {IDS_TREE_COLOR_MODE, &F::ColorMode, &CSettingsLists::ColorMode},
    {IDS_TREE_RESOLUTION, &F::Resolution, &CSettingsLists::Resolution},
    {IDS_TREE_SIZE, &F::InputMediumSize, &CSettingsLists::DocumentSize},
    {IDS_TREE_TWO_SIDED, &F::ScanFace, &CSettingsLists::TwoSided},
    {IDS_TREE_MIXED_SIZE, &F::InputMediumMix, &CSettingsLists::MixedSize},
};
constexpr SListedLine kQualityLines[] = {
    {IDS_TREE_DENSITY, &F::Brightness, &CSettingsLists::Density},
    {IDS_TREE_CONTRAST, &F::Contrast, &CSettingsLists::Contrast},
    {IDS_TREE_SATURATION, &F::Saturation, &CSettingsLists::Saturation},
    {IDS_TREE_SHARPNESS, &F::Sharpness, &CSettingsLists::Sharpness},
    {IDS_TREE_DOC_TYPE, &F::ImageMode, &CSettingsLists::DocumentType},
    {IDS_TREE_BACKGROUND, &F::EnableBackground, &CSettingsLists::BackgroundRemoval},
    {IDS_TREE_SHOW_THROUGH, &F::BleedthroughRemoval, &CSettingsLists::ShowThrough},
    {IDS_TREE_PHOTO_PAPER, &F::Photographs, &CSettingsLists::PhotographicPaper},
};
constexpr SListedLine kFormatLine = {IDS_TREE_FORMAT, &F::Format, &CSettingsLists::OutputFormat};
constexpr SListedLine kCompressionLines[] = {
    {IDS_TREE_TWO_LEVEL, &F::Monochrome, &CSettingsLists::TwoLevelCompression},
    {IDS_TREE_COLOR_COMPRESSION, &F::Color, &CSettingsLists::ColorCompression},
};
constexpr SListedLine kOutputTail[] = {
    {IDS_TREE_ENCODING, &F::Encode, &CSettingsLists::Encoding},
    {IDS_TREE_CORRECTION, &F::Correction, &CSettingsLists::LevelCorrection},
};

std::wstring Ascii(const char *text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

std::wstring Millimetres(double mm) {
    char text[64] = {};
    std::snprintf(text, sizeof(text), "%.1lf(mm)", mm);
    return Ascii(text);
}

class CBuilder {
public:
    CBuilder(const F &favorite, const F &standard, const IStringSource &strings)
        : m_f(favorite), m_s(standard), m_strings(strings) {}

    void Group(unsigned label) { lines.push_back({0, m_strings.Load(label), false}); }
    void Line(int level, std::wstring text, bool changed) {
        lines.push_back({level, std::move(text), changed});
    }
    // A stored position no list has (a hand-edited file) shows as its number.
    std::wstring ValueLabel(const CValueList &list, int32_t position) const {
        if (position < 0 || position >= static_cast<int32_t>(list.Count()))
            return std::to_wstring(position);
        return m_strings.Load(list.Entries()[static_cast<size_t>(position)].labelId);
    }
    void Listed(const SListedLine &l, int level = 1) {
        Line(level, m_strings.Load(l.label) + L" " + ValueLabel(l.list(), m_f.*l.position),
             m_f.*l.position != m_s.*l.position);
    }
    void Length(unsigned label, double F::*field, int level) {
        Line(level, m_strings.Load(label) + L" " + Millimetres(m_f.*field),
             m_f.*field != m_s.*field);
    }
    void Magnification() {
        const CValueList &modes = CSettingsLists::MagnificationMode();
        const std::wstring mode = ValueLabel(modes, m_f.Magnification);
        Line(1, m_strings.Load(IDS_TREE_MAGNIFICATION) + L" " + mode,
             m_f.Magnification != m_s.Magnification);
        switch (m_f.Magnification) {
            case 1:
                Line(2,
                     mode + L" : " +
                         ValueLabel(CSettingsLists::PresetRatio(), m_f.MagnificationFixed),
                     m_f.MagnificationFixed != m_s.MagnificationFixed);
                break;
            case 2:
                Line(2, mode + L" : " + std::to_wstring(m_f.MagnificationZoom) + L"(%)",
                     m_f.MagnificationZoom != m_s.MagnificationZoom);
                break;
            case 3:
                Line(2,
                     mode + L" : " +
                         ValueLabel(CSettingsLists::AutoTargetSize(), m_f.MagnificationAuto),
                     m_f.MagnificationAuto != m_s.MagnificationAuto);
                break;
            default:
                break;
        }
    }

    const F &m_f;
    const F &m_s;
    std::vector<CFavoriteTree::SLine> lines;

private:
    const IStringSource &m_strings;
};

}  // namespace

std::vector<CFavoriteTree::SLine> CFavoriteTree::Lines(const CFavoriteInfo &favorite,
                                                       const CFavoriteInfo &standard,
                                                       const IStringSource &strings) {
    CBuilder b(favorite, standard, strings);
    b.Group(IDS_TREE_BASIC);
    for (const SListedLine &l : kBasicLines) {
        b.Listed(l);
        if (l.label == IDS_TREE_SIZE &&
            favorite.InputMediumSize == CSettingsLists::kCustomSizeIndex) {
            b.Length(IDS_TREE_SIZE_HEIGHT, &F::InputMediumCustomHeight, 2);
            b.Length(IDS_TREE_SIZE_WIDTH, &F::InputMediumCustomWidth, 2);
        }
    }
    b.Group(IDS_TREE_QUALITY);
    for (const SListedLine &l : kQualityLines)
        b.Listed(l);
    b.Group(IDS_TREE_INPUT);
    b.Magnification();
    b.Length(IDS_TREE_EDGE_ERASE, &F::EdgeErase, 1);
    b.Group(IDS_TREE_OUTPUT);
    b.Listed(kFormatLine);
    b.Line(1, strings.Load(IDS_TREE_COMPRESSION), false);
    for (const SListedLine &l : kCompressionLines)
        b.Listed(l, 2);
    for (const SListedLine &l : kOutputTail)
        b.Listed(l);
    return b.lines;
}
