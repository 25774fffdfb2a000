#include "PageQuality.h"

#include "PageRules.h"
#include "SettingsLists.h"
#include "res/page_ids.h"

namespace {

using EKind = SPageControl::EKind;

const SPageControl kControls[] = {
    {IDC_DENSITY, EKind::List, &CSettingsLists::Density, &CScanSettings::Brightness, nullptr, {}},
    {IDC_CONTRAST, EKind::List, &CSettingsLists::Contrast, &CScanSettings::Contrast, nullptr, {}},
    {IDC_SATURATION,
     EKind::List,
     &CSettingsLists::Saturation,
     &CScanSettings::Saturation,
     nullptr,
     {}},
    {IDC_SHARPNESS,
     EKind::List,
     &CSettingsLists::Sharpness,
     &CScanSettings::Sharpness,
     nullptr,
     {}},
    {IDC_DOC_TYPE,
     EKind::List,
     &CSettingsLists::DocumentType,
     &CScanSettings::ImageMode,
     nullptr,
     {}},
    {IDC_BACKGROUND,
     EKind::Check,
     &CSettingsLists::BackgroundRemoval,
     &CScanSettings::EnableBackground,
     nullptr,
     {}},
    {IDC_SHOW_THROUGH,
     EKind::Check,
     &CSettingsLists::ShowThrough,
     &CScanSettings::BleedthroughRemoval,
     nullptr,
     {}},
    {IDC_PHOTO_PAPER,
     EKind::Check,
     &CSettingsLists::PhotographicPaper,
     &CScanSettings::Photographs,
     nullptr,
     {}},
};

}  // namespace

CPageQuality::CPageQuality(IPageOwner &owner) : CPageCommon(owner, IDD_PAGE_QUALITY, kControls) {}

bool CPageQuality::Store(CScanSettings &settings, bool check) {
    if (!CPageCommon::Store(settings, check))
        return false;
    if (!Owner().PhotoOption())
        settings.Photographs = -1;
    return true;
}

void CPageQuality::ApplyRules() {
    if (!Hwnd())
        return;
    const SQualityEnabling e =
        CPageRules::Quality(Owner().ColourIndex(), Owner().PaperPlace(), Owner().PhotoOption());
    for (int id : {IDC_CONTRAST_LABEL, IDC_CONTRAST})
        Enable(id, e.contrast);
    Enable(IDC_SHOW_THROUGH, e.showThrough);
    for (int id : {IDC_SATURATION_LABEL, IDC_SATURATION})
        Enable(id, e.saturation);
    for (int id : {IDC_DOC_TYPE_LABEL, IDC_DOC_TYPE})
        Enable(id, e.documentType);
    ShowControl(IDC_PHOTO_PAPER, e.photoShown);
    Enable(IDC_PHOTO_PAPER, e.photoEnabled);
    if (e.photoCleared) {
        const SPageControl &photo = kControls[7];
        SetState(photo, 0);
        Remember(photo);
    }
    if (!Owner().PhotoOption())
        Owner().Settings().Photographs = -1;
}
