// The capabilities the source negotiates: one object per capability, each
// keeping its values in a TWAIN container in movable global memory.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "WinHandles.h"
#include "twain/twain.h"

class CDSCaps {
public:
    // ---- Generic objects ------------------------------------------------------
    // Reads return a container the caller owns and frees; failures are thrown
    // as TWCC_* values.
    class CValue {
    public:
        explicit CValue(TW_UINT16 cap) : m_cap(cap) {}
        CValue(const CValue &) = delete;
        CValue &operator=(const CValue &) = delete;

        virtual TW_UINT16 Reset();
        virtual TW_UINT16 Set(TW_UINT16 conType, HGLOBAL container);
        virtual HGLOBAL GetDefault();
        virtual HGLOBAL GetCurrent();
        virtual HGLOBAL Get();
        virtual ~CValue() = default;
        virtual TW_UINT16 ContainerType() const = 0;
        virtual std::string Text() const;

        TW_UINT16 Cap() const { return m_cap; }

    protected:
        TW_UINT16 m_cap;
        CGlobalMem m_container;
    };

    class COneValue : public CValue {
    public:
        COneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value);
        TW_UINT16 Set(TW_UINT16 conType, HGLOBAL container) override;
        HGLOBAL GetCurrent() override;
        HGLOBAL Get() override;
        TW_UINT16 ContainerType() const override { return TWON_ONEVALUE; }
        TW_UINT32 Value() const;
        TW_UINT16 ItemType() const { return m_itemType; }

    protected:
        TW_UINT16 m_itemType;
    };

    // A one-value capability whose value is fixed: reads answer it, sets are refused.
    class CFixedValue : public COneValue {
    public:
        using COneValue::COneValue;
        TW_UINT16 Set(TW_UINT16, HGLOBAL) override { return TWCC_CAPUNSUPPORTED; }
        HGLOBAL GetDefault() override { return GetCurrent(); }
    };

    class CEnumeration : public CValue {
    public:
        CEnumeration(TW_UINT16 cap, TW_UINT16 itemType, const std::vector<TW_UINT32> &items,
                     TW_UINT32 currentIndex = 0, TW_UINT32 defaultIndex = 0);
        TW_UINT16 Set(TW_UINT16 conType, HGLOBAL container) override;
        HGLOBAL GetDefault() override;
        HGLOBAL GetCurrent() override;
        HGLOBAL Get() override;
        TW_UINT16 ContainerType() const override { return TWON_ENUMERATION; }
        TW_UINT32 CurrentItem() const;
        // Makes the item equal to `value` current; false when it is not listed.
        bool SelectItem(TW_UINT16 itemType, TW_UINT32 value);

    private:
        TW_UINT32 ItemAt(bool current) const;
    };

    class CRange : public CValue {
    public:
        // The numbers come from the string table: minimum, maximum, step, default.
        CRange(TW_UINT16 cap, HINSTANCE hInst, UINT minId, UINT maxId, UINT stepId, UINT defaultId);
        TW_UINT16 Set(TW_UINT16 conType, HGLOBAL container) override;
        HGLOBAL GetDefault() override;
        HGLOBAL GetCurrent() override;
        HGLOBAL Get() override;
        TW_UINT16 ContainerType() const override { return TWON_RANGE; }
        double Current() const;
        void SetCurrent(double value);

    private:
        TW_RANGE Values() const;
    };

    // ---- The capabilities -----------------------------------------------------
    class CXferCount : public COneValue {
    public:
        CXferCount();
        HGLOBAL GetDefault() override;
    };
    class CCompression : public CEnumeration {
    public:
        CCompression();
    };
    class CPixelType : public CEnumeration {
    public:
        CPixelType();
    };
    class CUnits : public CEnumeration {
    public:
        CUnits();
    };
    class CXferMech : public CEnumeration {
    public:
        CXferMech();
    };
    // One list per pixel type; every message works on the list of the
    // current ICAP_PIXELTYPE.
    class CBitDepth : public CValue {
    public:
        explicit CBitDepth(const CPixelType &pixelType);
        TW_UINT16 Set(TW_UINT16 conType, HGLOBAL container) override;
        HGLOBAL GetDefault() override;
        HGLOBAL GetCurrent() override;
        HGLOBAL Get() override;
        TW_UINT16 ContainerType() const override { return TWON_ENUMERATION; }
        TW_UINT16 DepthFor(TW_UINT16 pixelType) const;

    private:
        CEnumeration &Current() const;
        const CPixelType &m_pixelType;
        std::map<TW_UINT16, std::unique_ptr<CEnumeration>> m_lists;
    };
    class CBitOrder : public COneValue {
    public:
        CBitOrder();
        HGLOBAL GetDefault() override;
    };
    class CXResolution : public CRange {
    public:
        explicit CXResolution(HINSTANCE hInst);
    };
    class CYResolution : public CRange {
    public:
        explicit CYResolution(HINSTANCE hInst);
    };
    // Listed so that applications see them, but the source does not know the
    // scanner's bed size: every read fails.
    class CPhysicalHeight : public CValue {
    public:
        CPhysicalHeight() : CValue(ICAP_PHYSICALHEIGHT) {}
        TW_UINT16 ContainerType() const override { return TWON_ONEVALUE; }
    };
    class CPhysicalWidth : public CValue {
    public:
        CPhysicalWidth() : CValue(ICAP_PHYSICALWIDTH) {}
        TW_UINT16 ContainerType() const override { return TWON_ONEVALUE; }
    };
    class CPixelFlavor : public CEnumeration {
    public:
        CPixelFlavor();
    };
    class CPlanarChunky : public CEnumeration {
    public:
        CPlanarChunky();
    };
    class CSupportedSizes : public CEnumeration {
    public:
        CSupportedSizes();
    };
    class CFeederEnabled : public COneValue {
    public:
        CFeederEnabled();
        HGLOBAL GetDefault() override;
    };
    class CAutoFeed : public COneValue {
    public:
        explicit CAutoFeed(const CFeederEnabled &feeder);
        TW_UINT16 Set(TW_UINT16 conType, HGLOBAL container) override;
        HGLOBAL GetDefault() override;
        HGLOBAL GetCurrent() override;
        HGLOBAL Get() override;

    private:
        void RequireFeeder() const;
        const CFeederEnabled &m_feeder;
    };
    class CDeviceOnline : public CFixedValue {
    public:
        CDeviceOnline();
    };
    class CFeederLoaded : public CFixedValue {
    public:
        explicit CFeederLoaded(std::function<bool()> loaded);
        HGLOBAL GetCurrent() override;

    private:
        std::function<bool()> m_loaded;
    };
    class CBrightness : public CRange {
    public:
        explicit CBrightness(HINSTANCE hInst);
    };
    class CGamma : public CRange {
    public:
        explicit CGamma(HINSTANCE hInst);
    };
    class CHighlight : public CRange {
    public:
        explicit CHighlight(HINSTANCE hInst);
    };
    class CShadow : public CRange {
    public:
        explicit CShadow(HINSTANCE hInst);
    };
    class CContrast : public CRange {
    public:
        explicit CContrast(HINSTANCE hInst);
    };
    class CThreshold : public CRange {
    public:
        explicit CThreshold(HINSTANCE hInst);
    };
    class CUIControllable : public CFixedValue {
    public:
        CUIControllable();
    };
    class CSupportedCaps : public CValue {
    public:
        explicit CSupportedCaps(std::vector<TW_UINT32> caps);
        HGLOBAL GetDefault() override { return Get(); }
        HGLOBAL GetCurrent() override { return Get(); }
        HGLOBAL Get() override;
        TW_UINT16 ContainerType() const override { return TWON_ARRAY; }

    private:
        std::vector<TW_UINT32> m_caps;
    };
    class CEnableDSUIOnly : public CFixedValue {
    public:
        CEnableDSUIOnly();
    };

    // ---- The set ----------------------------------------------------------------
    enum Position : size_t {
        kXferCount = 0,
        kPixelType = 2,
        kBitDepth = 5,
        kXResolution = 7,
        kPlanarChunky = 12,
        kSupportedCaps = 25,
        kEnableDSUIOnly = 26,
        kCount = 27
    };

    // `feederLoaded` answers CAP_FEEDERLOADED: whether the job expects another page.
    CDSCaps(HINSTANCE hInst, std::function<bool()> feederLoaded);
    ~CDSCaps();
    CDSCaps(const CDSCaps &) = delete;
    CDSCaps &operator=(const CDSCaps &) = delete;

    // Answers one capability message; returns the TWCC_* code and throws
    // TWCC_BADCAP for a capability the source does not list.
    TW_UINT16 Operate(TW_UINT16 msg, TW_CAPABILITY &cap);

    // Current value of the capability at `position`, as a TW_ONEVALUE the caller frees.
    HGLOBAL CurrentByPosition(size_t position);
    TW_UINT16 BitDepthFor(TW_UINT16 pixelType) const;
    // Colour modes of the scan settings: 1 grey, 2 black and white, others colour.
    void SetPixelTypeFromColourMode(int colourMode);
    double XResolution() const;
    void SetXResolution(double dpi);
    // Current ICAP_PIXELTYPE, and whether ICAP_PLANARCHUNKY is TWPC_PLANAR.
    TW_UINT16 PixelType() const;
    bool IsPlanar() const;

private:
    size_t IndexOf(TW_UINT16 cap) const;

    std::vector<std::unique_ptr<CValue>> m_values;
};
