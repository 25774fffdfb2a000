#include "PageInput.h"

#include <commctrl.h>

#include "PageRules.h"
#include "SettingsLists.h"
#include "res/page_ids.h"

namespace {

using EKind = SPageControl::EKind;

const SPageControl kControls[] = {
    {IDC_MAG_100,
     EKind::Radio,
     &CSettingsLists::MagnificationMode,
     &CScanSettings::Magnification,
     nullptr,
     {}},
    {IDC_MAG_FIXED_LIST,
     EKind::List,
     &CSettingsLists::PresetRatio,
     &CScanSettings::MagnificationFixed,
     nullptr,
     {}},
    {IDC_ZOOM_EDIT, EKind::Zoom, nullptr, &CScanSettings::MagnificationZoom, nullptr, {}},
    {IDC_MAG_AUTO_LIST,
     EKind::List,
     &CSettingsLists::AutoTargetSize,
     &CScanSettings::MagnificationAuto,
     nullptr,
     {}},
    {IDC_EDGE_ERASE, EKind::Length, nullptr, nullptr, &CScanSettings::EdgeErase,
     ELimitedLength::EdgeErase},
};
constexpr size_t kEdge = 4;

}  // namespace

CPageInput::CPageInput(IPageOwner &owner) : CPageCommon(owner, IDD_PAGE_INPUT, kControls) {}

BOOL CPageInput::OnInitDialog() {
    SendDlgItemMessageW(Hwnd(), IDC_ZOOM_EDIT, EM_LIMITTEXT, 3, 0);
    SendDlgItemMessageW(Hwnd(), IDC_EDGE_ERASE, EM_LIMITTEXT, 5, 0);
    SendDlgItemMessageW(Hwnd(), IDC_ZOOM_SPIN, UDM_SETRANGE32, CLengthLimits::kZoomMin,
                        CLengthLimits::kZoomMax);
    SendDlgItemMessageW(Hwnd(), IDC_ZOOM_SPIN, UDM_SETPOS32, 0, CLengthLimits::kZoomDefault);
    SetDlgItemTextW(Hwnd(), IDC_ZOOM_RANGE,
                    CLengthLimits(Owner().Strings()).ZoomRangeLabel().c_str());
    return CPageCommon::OnInitDialog();
}

void CPageInput::ApplyRules() {
    if (!Hwnd())
        return;
    const SInputEnabling e = CPageRules::Input(static_cast<int32_t>(State(kControls[0])));
    Enable(IDC_MAG_FIXED_LIST, e.presetRatio);
    for (int id : {IDC_ZOOM_EDIT, IDC_ZOOM_SPIN, IDC_ZOOM_RANGE})
        Enable(id, e.zoom);
    Enable(IDC_MAG_AUTO_LIST, e.autoTarget);
}

void CPageInput::ApplyUnit() {
    const CLengthLimits limits(Owner().Strings());
    SetDlgItemTextW(Hwnd(), IDC_EDGE_RANGE,
                    limits.RangeLabel(ELimitedLength::EdgeErase, Owner().Unit()).c_str());
    SetLengthDefault(kControls[kEdge]);
}
