#include "DSCaps.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "ResString.h"
#include "Containers.h"
#include "DiagLog.h"

// ---- CValue -------------------------------------------------------------------

TW_UINT16 CDSCaps::CValue::Reset() {
    try {
        CGlobalMem def(GetDefault());
        return Set(TWON_ONEVALUE, def.Get());
    } catch (const CTwainFailure &failure) {
        return failure.conditionCode;
    }
}

TW_UINT16 CDSCaps::CValue::Set(TW_UINT16, HGLOBAL) {
    return TWCC_CAPUNSUPPORTED;
}
HGLOBAL CDSCaps::CValue::GetDefault() {
    throw CTwainFailure{TWCC_BADVALUE};
}
HGLOBAL CDSCaps::CValue::GetCurrent() {
    throw CTwainFailure{TWCC_BADVALUE};
}
HGLOBAL CDSCaps::CValue::Get() {
    throw CTwainFailure{TWCC_BADVALUE};
}

std::string CDSCaps::CValue::Text() const {
    char text[32];
    std::snprintf(text, sizeof(text), "CAP 0x%04X", m_cap);
    return text;
}

// ---- COneValue ------------------------------------------------------------------

CDSCaps::COneValue::COneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value)
    : CValue(cap), m_itemType(itemType) {
    m_container.Reset(MakeOneValue(itemType, value));
}

TW_UINT16 CDSCaps::COneValue::Set(TW_UINT16 conType, HGLOBAL container) {
    if (conType != TWON_ONEVALUE)
        return TWCC_BADVALUE;
    TW_UINT16 type = 0;
    TW_UINT32 value = ReadOneValue(container, &type);
    if (type != m_itemType)
        return TWCC_BADVALUE;
    m_container.Reset(MakeOneValue(m_itemType, value));
    return TWCC_SUCCESS;
}

HGLOBAL CDSCaps::COneValue::GetCurrent() {
    return CopyContainer(m_container.Get());
}
HGLOBAL CDSCaps::COneValue::Get() {
    return GetCurrent();
}
TW_UINT32 CDSCaps::COneValue::Value() const {
    return ReadOneValue(m_container.Get(), nullptr);
}

// ---- CEnumeration ------------------------------------------------------------------

CDSCaps::CEnumeration::CEnumeration(TW_UINT16 cap, TW_UINT16 itemType,
                                    const std::vector<TW_UINT32> &items, TW_UINT32 currentIndex,
                                    TW_UINT32 defaultIndex)
    : CValue(cap) {
    m_container.Reset(MakeEnumeration(itemType, items, currentIndex, defaultIndex));
}

bool CDSCaps::CEnumeration::SelectItem(TW_UINT16 itemType, TW_UINT32 value) {
    CGlobalLock<TW_ENUMERATION> e(m_container.Get());
    if (!e || e->ItemType != itemType)
        return false;
    size_t size = TwainItemSize(itemType);
    for (TW_UINT32 i = 0; i < e->NumItems; ++i) {
        if (std::memcmp(e->ItemList + i * size, &value, size) == 0) {
            e->CurrentIndex = i;
            return true;
        }
    }
    return false;
}

TW_UINT16 CDSCaps::CEnumeration::Set(TW_UINT16 conType, HGLOBAL container) {
    TW_UINT16 type = 0;
    TW_UINT32 value = 0;
    if (conType == TWON_ONEVALUE) {
        value = ReadOneValue(container, &type);
    } else if (conType == TWON_ENUMERATION) {
        EnumerationView given = ReadEnumeration(container);
        if (given.currentIndex >= given.numItems)
            return TWCC_BADVALUE;
        type = given.itemType;
        value = given.items[given.currentIndex];
    } else {
        return TWCC_BADVALUE;
    }
    return SelectItem(type, value) ? TWCC_SUCCESS : TWCC_BADVALUE;
}

TW_UINT32 CDSCaps::CEnumeration::ItemAt(bool current) const {
    EnumerationView view = ReadEnumeration(m_container.Get());
    TW_UINT32 index = current ? view.currentIndex : view.defaultIndex;
    if (index >= view.numItems)
        throw CTwainFailure{TWCC_BADVALUE};
    return view.items[index];
}

HGLOBAL CDSCaps::CEnumeration::GetDefault() {
    return MakeOneValue(ReadEnumeration(m_container.Get()).itemType, ItemAt(false));
}

HGLOBAL CDSCaps::CEnumeration::GetCurrent() {
    return MakeOneValue(ReadEnumeration(m_container.Get()).itemType, ItemAt(true));
}

HGLOBAL CDSCaps::CEnumeration::Get() {
    return CopyContainer(m_container.Get());
}
TW_UINT32 CDSCaps::CEnumeration::CurrentItem() const {
    return ItemAt(true);
}

// ---- CRange ----------------------------------------------------------------------------

namespace {
double ReadNumber(HINSTANCE hInst, UINT id) {
    std::wstring text = LoadResString(hInst, id);
    return std::wcstod(text.c_str(), nullptr);
}
}  // namespace

CDSCaps::CRange::CRange(TW_UINT16 cap, HINSTANCE hInst, UINT minId, UINT maxId, UINT stepId,
                        UINT defaultId)
    : CValue(cap) {
    double def = ReadNumber(hInst, defaultId);
    m_container.Reset(MakeRange(ReadNumber(hInst, minId), ReadNumber(hInst, maxId),
                                ReadNumber(hInst, stepId), def, def));
}

TW_RANGE CDSCaps::CRange::Values() const {
    return ReadRange(m_container.Get());
}

TW_UINT16 CDSCaps::CRange::Set(TW_UINT16 conType, HGLOBAL container) {
    TW_UINT32 value = 0;
    if (conType == TWON_ONEVALUE)
        value = ReadOneValue(container, nullptr);
    else if (conType == TWON_RANGE)
        value = ReadRange(container).CurrentValue;
    else
        return TWCC_BADVALUE;
    CGlobalLock<TW_RANGE> r(m_container.Get());
    if (!r)
        throw CTwainFailure{TWCC_LOWMEMORY};
    r->CurrentValue = value;
    return TWCC_SUCCESS;
}

HGLOBAL CDSCaps::CRange::GetDefault() {
    return MakeOneValue(TWTY_FIX32, Values().DefaultValue);
}
HGLOBAL CDSCaps::CRange::GetCurrent() {
    return MakeOneValue(TWTY_FIX32, Values().CurrentValue);
}
HGLOBAL CDSCaps::CRange::Get() {
    return CopyContainer(m_container.Get());
}
double CDSCaps::CRange::Current() const {
    return Fix32BitsToDouble(Values().CurrentValue);
}

void CDSCaps::CRange::SetCurrent(double value) {
    CGlobalLock<TW_RANGE> r(m_container.Get());
    if (!r)
        throw CTwainFailure{TWCC_LOWMEMORY};
    r->CurrentValue = Fix32Bits(value);
}

// ---- The set -------------------------------------------------------------------------------

CDSCaps::~CDSCaps() {
    while (!m_values.empty())
        m_values.pop_back();
}

size_t CDSCaps::IndexOf(TW_UINT16 cap) const {
    for (size_t i = m_values.size(); i-- > 0;) {
        if (m_values[i]->Cap() == cap)
            return i;
    }
    WriteLog("GetIndex() TWCC_BADCAP %s\t", "");
    throw CTwainFailure{TWCC_BADCAP};
}

TW_UINT16 CDSCaps::Operate(TW_UINT16 msg, TW_CAPABILITY &cap) {
    size_t index = IndexOf(cap.Cap);
    CValue &value = *m_values[index];
    bool fixedByPosition = index >= kSupportedCaps;
    // The supported-capabilities list is an array in every answer; saying
    // "one value" for it would make applications misread the block.
    TW_UINT16 singleType = value.ContainerType() == TWON_ARRAY ? TWON_ARRAY : TWON_ONEVALUE;
    switch (msg) {
        case MSG_GET:
            cap.hContainer = value.Get();
            cap.ConType = value.ContainerType();
            return TWCC_SUCCESS;
        case MSG_GETCURRENT:
            cap.hContainer = value.GetCurrent();
            cap.ConType = singleType;
            return TWCC_SUCCESS;
        case MSG_GETDEFAULT:
            cap.hContainer = value.GetDefault();
            cap.ConType = singleType;
            return TWCC_SUCCESS;
        case MSG_SET:
            if (fixedByPosition)
                return TWCC_CAPUNSUPPORTED;
            // A rejected value leaves the capability as it was, and the
            // application hears so: a plain success would have it believe it
            // gets, say, a transfer mechanism or pixel type that never comes.
            return value.Set(cap.ConType, static_cast<HGLOBAL>(cap.hContainer));
        case MSG_RESET:
            if (fixedByPosition)
                return TWCC_CAPUNSUPPORTED;
            value.Reset();
            return TWCC_SUCCESS;
        default:
            return TWCC_BADPROTOCOL;
    }
}

HGLOBAL CDSCaps::CurrentByPosition(size_t position) {
    return m_values.at(position)->GetCurrent();
}

TW_UINT16 CDSCaps::BitDepthFor(TW_UINT16 pixelType) const {
    return static_cast<const CBitDepth &>(*m_values[kBitDepth]).DepthFor(pixelType);
}

void CDSCaps::SetPixelTypeFromColourMode(int colourMode) {
    TW_UINT16 type = colourMode == 1 ? TWPT_GRAY : colourMode == 2 ? TWPT_BW : TWPT_RGB;
    static_cast<CPixelType &>(*m_values[kPixelType]).SelectItem(TWTY_UINT16, type);
}

double CDSCaps::XResolution() const {
    return static_cast<const CRange &>(*m_values[kXResolution]).Current();
}

TW_UINT16 CDSCaps::PixelType() const {
    return static_cast<TW_UINT16>(
        static_cast<const CEnumeration &>(*m_values[kPixelType]).CurrentItem());
}

bool CDSCaps::IsPlanar() const {
    return static_cast<const CEnumeration &>(*m_values[kPlanarChunky]).CurrentItem() == TWPC_PLANAR;
}

void CDSCaps::SetXResolution(double dpi) {
    static_cast<CRange &>(*m_values[kXResolution]).SetCurrent(dpi);
}
