// The 27 capabilities of the source, in the order of the set.
#include "res/corvsrc_ids.h"
#include "Containers.h"
#include "DSCaps.h"

namespace {
constexpr TW_UINT32 kXferCountAll = 0xffff;  // -1 as TW_INT16: as many pages as there are
}  // namespace

CDSCaps::CXferCount::CXferCount() : COneValue(CAP_XFERCOUNT, TWTY_INT16, kXferCountAll) {}
HGLOBAL CDSCaps::CXferCount::GetDefault() {
    return MakeOneValue(TWTY_INT16, kXferCountAll);
}

CDSCaps::CCompression::CCompression() : CEnumeration(ICAP_COMPRESSION, TWTY_UINT16, {TWCP_NONE}) {}

CDSCaps::CPixelType::CPixelType()
    : CEnumeration(ICAP_PIXELTYPE, TWTY_UINT16, {TWPT_BW, TWPT_GRAY, TWPT_RGB}, 2, 0) {}

CDSCaps::CUnits::CUnits() : CEnumeration(ICAP_UNITS, TWTY_UINT16, {TWUN_INCHES}) {}

// All three mechanisms work; memory stays the default, as the scan utility expects.
CDSCaps::CXferMech::CXferMech()
    : CEnumeration(ICAP_XFERMECH, TWTY_UINT16, {TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}, 2, 2) {}

CDSCaps::CBitDepth::CBitDepth(const CPixelType &pixelType)
    : CValue(ICAP_BITDEPTH), m_pixelType(pixelType) {
    m_lists[TWPT_BW] =
        std::make_unique<CEnumeration>(ICAP_BITDEPTH, TWTY_UINT16, std::vector<TW_UINT32>{1});
    m_lists[TWPT_GRAY] =
        std::make_unique<CEnumeration>(ICAP_BITDEPTH, TWTY_UINT16, std::vector<TW_UINT32>{8, 14});
    m_lists[TWPT_RGB] =
        std::make_unique<CEnumeration>(ICAP_BITDEPTH, TWTY_UINT16, std::vector<TW_UINT32>{24, 42});
}

CDSCaps::CEnumeration &CDSCaps::CBitDepth::Current() const {
    auto it = m_lists.find(static_cast<TW_UINT16>(m_pixelType.CurrentItem()));
    if (it == m_lists.end())
        throw CTwainFailure{TWCC_CAPSEQERROR};
    return *it->second;
}

TW_UINT16 CDSCaps::CBitDepth::Set(TW_UINT16 conType, HGLOBAL container) {
    return Current().Set(conType, container);
}
HGLOBAL CDSCaps::CBitDepth::GetDefault() {
    return Current().GetDefault();
}
HGLOBAL CDSCaps::CBitDepth::GetCurrent() {
    return Current().GetCurrent();
}
HGLOBAL CDSCaps::CBitDepth::Get() {
    return Current().Get();
}

TW_UINT16 CDSCaps::CBitDepth::DepthFor(TW_UINT16 pixelType) const {
    auto it = m_lists.find(pixelType);
    if (it == m_lists.end())
        throw CTwainFailure{TWCC_CAPSEQERROR};
    return static_cast<TW_UINT16>(it->second->CurrentItem());
}

CDSCaps::CBitOrder::CBitOrder() : COneValue(ICAP_BITORDER, TWTY_UINT16, TWBO_MSBFIRST) {}
HGLOBAL CDSCaps::CBitOrder::GetDefault() {
    return MakeOneValue(TWTY_UINT16, TWBO_MSBFIRST);
}

CDSCaps::CXResolution::CXResolution(HINSTANCE hInst)
    : CRange(ICAP_XRESOLUTION, hInst, IDS_XRES_MIN, IDS_XRES_MAX, IDS_XRES_STEP, IDS_XRES_DEFAULT) {
}
CDSCaps::CYResolution::CYResolution(HINSTANCE hInst)
    : CRange(ICAP_YRESOLUTION, hInst, IDS_XRES_MIN, IDS_XRES_MAX, IDS_XRES_STEP, IDS_XRES_DEFAULT) {
}

CDSCaps::CPixelFlavor::CPixelFlavor()
    : CEnumeration(ICAP_PIXELFLAVOR, TWTY_UINT16, {TWPF_CHOCOLATE}) {}
CDSCaps::CPlanarChunky::CPlanarChunky()
    : CEnumeration(ICAP_PLANARCHUNKY, TWTY_UINT16, {TWPC_CHUNKY}) {}
CDSCaps::CSupportedSizes::CSupportedSizes()
    : CEnumeration(ICAP_SUPPORTEDSIZES, TWTY_UINT16,
                   {TWSS_NONE, TWSS_A3, TWSS_A4LETTER, TWSS_JISB4, TWSS_B5LETTER}) {}

CDSCaps::CFeederEnabled::CFeederEnabled() : COneValue(CAP_FEEDERENABLED, TWTY_BOOL, FALSE) {}
HGLOBAL CDSCaps::CFeederEnabled::GetDefault() {
    return MakeOneValue(TWTY_BOOL, FALSE);
}

CDSCaps::CAutoFeed::CAutoFeed(const CFeederEnabled &feeder)
    : COneValue(CAP_AUTOFEED, TWTY_BOOL, FALSE), m_feeder(feeder) {}

void CDSCaps::CAutoFeed::RequireFeeder() const {
    if (!m_feeder.Value())
        throw CTwainFailure{TWCC_CAPUNSUPPORTED};
}

TW_UINT16 CDSCaps::CAutoFeed::Set(TW_UINT16 conType, HGLOBAL container) {
    if (!m_feeder.Value())
        return TWCC_CAPUNSUPPORTED;
    return COneValue::Set(conType, container);
}

HGLOBAL CDSCaps::CAutoFeed::GetDefault() {
    RequireFeeder();
    return MakeOneValue(TWTY_BOOL, FALSE);
}

HGLOBAL CDSCaps::CAutoFeed::GetCurrent() {
    RequireFeeder();
    return COneValue::GetCurrent();
}

HGLOBAL CDSCaps::CAutoFeed::Get() {
    return GetCurrent();
}

CDSCaps::CDeviceOnline::CDeviceOnline() : CFixedValue(CAP_DEVICEONLINE, TWTY_BOOL, TRUE) {}

CDSCaps::CFeederLoaded::CFeederLoaded(std::function<bool()> loaded)
    : CFixedValue(CAP_FEEDERLOADED, TWTY_BOOL, FALSE), m_loaded(std::move(loaded)) {}

HGLOBAL CDSCaps::CFeederLoaded::GetCurrent() {
    return MakeOneValue(TWTY_BOOL, m_loaded && m_loaded() ? TRUE : FALSE);
}

CDSCaps::CBrightness::CBrightness(HINSTANCE hInst)
    : CRange(ICAP_BRIGHTNESS, hInst, IDS_BRIGHTNESS_MIN, IDS_BRIGHTNESS_MAX, IDS_BRIGHTNESS_STEP,
             IDS_BRIGHTNESS_DEFAULT) {}
CDSCaps::CGamma::CGamma(HINSTANCE hInst)
    : CRange(ICAP_GAMMA, hInst, IDS_GAMMA_MIN, IDS_GAMMA_MAX, IDS_GAMMA_STEP, IDS_GAMMA_DEFAULT) {}
CDSCaps::CHighlight::CHighlight(HINSTANCE hInst)
    : CRange(ICAP_HIGHLIGHT, hInst, IDS_HIGHLIGHT_MIN, IDS_HIGHLIGHT_MAX, IDS_HIGHLIGHT_STEP,
             IDS_HIGHLIGHT_DEFAULT) {}
CDSCaps::CShadow::CShadow(HINSTANCE hInst)
    : CRange(ICAP_SHADOW, hInst, IDS_SHADOW_MIN, IDS_SHADOW_MAX, IDS_SHADOW_STEP,
             IDS_SHADOW_DEFAULT) {}
CDSCaps::CContrast::CContrast(HINSTANCE hInst)
    : CRange(ICAP_CONTRAST, hInst, IDS_CONTRAST_MIN, IDS_CONTRAST_MAX, IDS_CONTRAST_STEP,
             IDS_CONTRAST_DEFAULT) {}
CDSCaps::CThreshold::CThreshold(HINSTANCE hInst)
    : CRange(ICAP_THRESHOLD, hInst, IDS_THRESHOLD_MIN, IDS_THRESHOLD_MAX, IDS_THRESHOLD_STEP,
             IDS_THRESHOLD_DEFAULT) {}

CDSCaps::CUIControllable::CUIControllable() : CFixedValue(CAP_UICONTROLLABLE, TWTY_BOOL, FALSE) {}

CDSCaps::CSupportedCaps::CSupportedCaps(std::vector<TW_UINT32> caps)
    : CValue(CAP_SUPPORTEDCAPS), m_caps(std::move(caps)) {}
HGLOBAL CDSCaps::CSupportedCaps::Get() {
    return MakeArray(TWTY_UINT16, m_caps);
}

CDSCaps::CEnableDSUIOnly::CEnableDSUIOnly() : CFixedValue(CAP_ENABLEDSUIONLY, TWTY_BOOL, TRUE) {}

CDSCaps::CDSCaps(HINSTANCE hInst, std::function<bool()> feederLoaded) {
    auto pixelType = std::make_unique<CPixelType>();
    auto feeder = std::make_unique<CFeederEnabled>();
    const CPixelType &pixelRef = *pixelType;
    const CFeederEnabled &feederRef = *feeder;
    m_values.push_back(std::make_unique<CXferCount>());
    m_values.push_back(std::make_unique<CCompression>());
    m_values.push_back(std::move(pixelType));
    m_values.push_back(std::make_unique<CUnits>());
    m_values.push_back(std::make_unique<CXferMech>());
    m_values.push_back(std::make_unique<CBitDepth>(pixelRef));
    m_values.push_back(std::make_unique<CBitOrder>());
    m_values.push_back(std::make_unique<CXResolution>(hInst));
    m_values.push_back(std::make_unique<CYResolution>(hInst));
    m_values.push_back(std::make_unique<CPhysicalHeight>());
    m_values.push_back(std::make_unique<CPhysicalWidth>());
    m_values.push_back(std::make_unique<CPixelFlavor>());
    m_values.push_back(std::make_unique<CPlanarChunky>());
    m_values.push_back(std::make_unique<CSupportedSizes>());
    m_values.push_back(std::make_unique<CAutoFeed>(feederRef));
    m_values.push_back(std::make_unique<CDeviceOnline>());
    m_values.push_back(std::move(feeder));
    m_values.push_back(std::make_unique<CFeederLoaded>(std::move(feederLoaded)));
    m_values.push_back(std::make_unique<CBrightness>(hInst));
    m_values.push_back(std::make_unique<CGamma>(hInst));
    m_values.push_back(std::make_unique<CHighlight>(hInst));
    m_values.push_back(std::make_unique<CShadow>(hInst));
    m_values.push_back(std::make_unique<CContrast>(hInst));
    m_values.push_back(std::make_unique<CThreshold>(hInst));
    m_values.push_back(std::make_unique<CUIControllable>());
    std::vector<TW_UINT32> listed;
    for (const auto &value : m_values)
        listed.push_back(value->Cap());
    m_values.push_back(std::make_unique<CSupportedCaps>(std::move(listed)));
    m_values.push_back(std::make_unique<CEnableDSUIOnly>());
}
