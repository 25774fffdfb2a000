#include "PageBasic.h"

#include "PageRules.h"
#include "SettingsLists.h"
#include "res/corvsrc_ids.h"
#include "res/page_ids.h"

namespace {

using EKind = SPageControl::EKind;

// In the order the reset to standard goes through them.
const SPageControl kControls[] = {
    {IDC_COLOR_MODE,
     EKind::List,
     &CSettingsLists::ColorMode,
     &CScanSettings::ColorMode,
     nullptr,
     {}},
    {IDC_RESOLUTION,
     EKind::List,
     &CSettingsLists::Resolution,
     &CScanSettings::Resolution,
     nullptr,
     {}},
    {IDC_DOC_SIZE,
     EKind::List,
     &CSettingsLists::DocumentSize,
     &CScanSettings::InputMediumSize,
     nullptr,
     {}},
    {IDC_CUSTOM_HEIGHT, EKind::Length, nullptr, nullptr, &CScanSettings::InputMediumCustomHeight,
     ELimitedLength::CustomHeight},
    {IDC_CUSTOM_WIDTH, EKind::Length, nullptr, nullptr, &CScanSettings::InputMediumCustomWidth,
     ELimitedLength::CustomWidth},
    {IDC_FACE_SIMPLEX,
     EKind::Radio,
     &CSettingsLists::TwoSided,
     &CScanSettings::ScanFace,
     nullptr,
     {}},
    {IDC_MIXED_SIZE,
     EKind::Check,
     &CSettingsLists::MixedSize,
     &CScanSettings::InputMediumMix,
     nullptr,
     {}},
};

constexpr int kAreaIds[] = {IDC_AREA_GROUP,      IDC_AREA_TOP_LABEL,    IDC_AREA_TOP,
                            IDC_AREA_LEFT_LABEL, IDC_AREA_LEFT,         IDC_AREA_WIDTH_LABEL,
                            IDC_AREA_WIDTH,      IDC_AREA_HEIGHT_LABEL, IDC_AREA_HEIGHT};
constexpr int kAreaEdits[] = {IDC_AREA_TOP, IDC_AREA_LEFT, IDC_AREA_WIDTH, IDC_AREA_HEIGHT};
constexpr int kDuplexIds[] = {IDC_FACE_GROUP, IDC_FACE_SIMPLEX, IDC_FACE_DUPLEX_LR,
                              IDC_FACE_DUPLEX_TB, IDC_MIXED_SIZE};
constexpr int kCustomIds[] = {IDC_CUSTOM_HEIGHT_LABEL, IDC_CUSTOM_HEIGHT, IDC_CUSTOM_HEIGHT_RANGE,
                              IDC_CUSTOM_WIDTH_LABEL,  IDC_CUSTOM_WIDTH,  IDC_CUSTOM_WIDTH_RANGE};
constexpr size_t kHeight = 3, kWidth = 4, kMixed = 6;

}  // namespace

CPageBasic::CPageBasic(IPageOwner &owner) : CPageCommon(owner, IDD_PAGE_BASIC, kControls) {}

BOOL CPageBasic::OnInitDialog() {
    for (int id : {IDC_CUSTOM_HEIGHT, IDC_CUSTOM_WIDTH, IDC_AREA_TOP, IDC_AREA_LEFT, IDC_AREA_WIDTH,
                   IDC_AREA_HEIGHT})
        SendDlgItemMessageW(Hwnd(), id, EM_LIMITTEXT, 7, 0);
    for (int id : kAreaEdits)
        AreaEdit(id)->Attach(GetDlgItem(Hwnd(), id), Owner().AreaEditOwner());
    return CPageCommon::OnInitDialog();
}

CLengthEdit *CPageBasic::AreaEdit(int id) {
    switch (id) {
        case IDC_AREA_TOP:
            return &m_areaTop;
        case IDC_AREA_LEFT:
            return &m_areaLeft;
        case IDC_AREA_WIDTH:
            return &m_areaWidth;
        case IDC_AREA_HEIGHT:
            return &m_areaHeight;
        default:
            return nullptr;
    }
}

void CPageBasic::OnOtherCommand(int id, int code) {
    CLengthEdit *edit = AreaEdit(id);
    if (!edit)
        return;
    if (code == EN_CHANGE)
        edit->OnChange();
    else if (code == EN_KILLFOCUS)
        edit->OnKillFocus();
}

int32_t CPageBasic::ColourIndex() const {
    return Hwnd() ? static_cast<int32_t>(State(kControls[0])) : -1;
}

int32_t CPageBasic::SizeIndex() const {
    return static_cast<int32_t>(State(kControls[2]));
}

bool CPageBasic::RangeChecked(const SPageControl &) const {
    return SizeIndex() == CSettingsLists::kCustomSizeIndex;
}

bool CPageBasic::Store(CScanSettings &settings, bool check) {
    if (!CPageCommon::Store(settings, check))
        return false;
    settings.UpdateAreaResolution();
    return true;
}

void CPageBasic::Accepted(const SPageControl &c) {
    if (c.id == IDC_DOC_SIZE) {
        SetLengthDefault(kControls[kHeight]);
        SetLengthDefault(kControls[kWidth]);
    } else if (c.id == IDC_MIXED_SIZE && State(kControls[kMixed]) == 1 && SizeIndex() != 0) {
        // Sheets of mixed sizes leave the size to the feeder's detection.
        SetState(kControls[2], 0);
        Remember(kControls[2]);
    }
}

void CPageBasic::ApplyRules() {
    if (!Hwnd())
        return;
    const SBasicEnabling e =
        CPageRules::Basic(Owner().PaperPlace(), State(kControls[kMixed]) == 1, SizeIndex());
    Enable(IDC_SIZE_GROUP, e.sizeEnabled);
    Enable(IDC_DOC_SIZE, e.sizeEnabled);
    for (int id : kCustomIds)
        Enable(id, e.customEnabled);
    for (int id : kAreaIds)
        ShowControl(id, e.areaShown);
    for (int id : kDuplexIds)
        ShowControl(id, e.duplexShown);
}

void CPageBasic::EnableAreaEdits(bool enable) {
    for (int id : kAreaEdits)
        Enable(id, enable);
}

void CPageBasic::ShowArea() {
    if (!Hwnd())
        return;
    for (int id : kAreaEdits)
        AreaEdit(id)->Show();
}

void CPageBasic::ApplyUnit() {
    const CLengthLimits limits(Owner().Strings());
    const ELengthUnit unit = Owner().Unit();
    SetDlgItemTextW(Hwnd(), IDC_CUSTOM_HEIGHT_RANGE,
                    limits.RangeLabel(ELimitedLength::CustomHeight, unit).c_str());
    SetDlgItemTextW(Hwnd(), IDC_CUSTOM_WIDTH_RANGE,
                    limits.RangeLabel(ELimitedLength::CustomWidth, unit).c_str());
    SetLengthDefault(kControls[kHeight]);
    SetLengthDefault(kControls[kWidth]);
    const UINT areaTitle = IDS_AREA_MM + 10 * static_cast<UINT>(unit);
    SetDlgItemTextW(Hwnd(), IDC_AREA_GROUP, Owner().Strings().Load(areaTitle).c_str());
}
