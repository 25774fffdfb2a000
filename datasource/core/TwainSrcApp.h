// The module's one application object: names, profile file, identity, the
// condition code, the open source and the two triplet dispatchers.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ControlMapper.h"
#include "ImageMapper.h"
#include "ProductDependentData.h"
#include "ScanJobLink.h"
#include "twain/twain.h"

class CDataSource;

class CTwainSrcApp {
public:
    CTwainSrcApp();
    ~CTwainSrcApp();
    CTwainSrcApp(const CTwainSrcApp &) = delete;
    CTwainSrcApp &operator=(const CTwainSrcApp &) = delete;

    // Start-up when the module is loaded; false when no profile file name
    // could be formed (the module then refuses to load).
    bool InitInstance(HINSTANCE hInst);
    // Destroys an open source; used when the module is unloaded.
    void ExitInstance();

    HINSTANCE Instance() const { return m_hInst; }
    const std::wstring &AppName() const { return m_appName; }
    const std::wstring &ProfileFile() const { return m_profileFile; }
    const TW_IDENTITY &DefaultIdentity() const { return m_identity; }

    TW_UINT16 ConditionCode() const { return m_conditionCode; }
    void SetConditionCode(TW_UINT16 cc) { m_conditionCode = cc; }
    // Sets the condition code and gives TWRC_FAILURE, the one way a handler fails.
    TW_UINT16 Fail(TW_UINT16 cc) {
        m_conditionCode = cc;
        return TWRC_FAILURE;
    }

    CDataSource *Source() const { return m_source.get(); }
    void OpenSource(std::unique_ptr<CDataSource> source);
    void CloseSource();

    CControlMapper &ControlMapper() { return m_controlMapper; }
    CImageMapper &ImageMapper() { return m_imageMapper; }

    // The network code registers how jobs are made; without it a scan start
    // fails cleanly.
    void SetScanJobFactory(ScanJobFactory factory) { m_jobFactory = std::move(factory); }
    const ScanJobFactory &JobFactory() const { return m_jobFactory; }

private:
    void FillIdentity();
    std::wstring FindProfileFile() const;

    HINSTANCE m_hInst = nullptr;
    std::wstring m_appName;
    std::wstring m_profileFile;
    TW_IDENTITY m_identity{};
    TW_UINT16 m_conditionCode = TWCC_SUCCESS;
    ProductDependentData m_product;
    CControlMapper m_controlMapper;
    CImageMapper m_imageMapper;
    std::unique_ptr<CDataSource> m_source;
    ScanJobFactory m_jobFactory;
};

CTwainSrcApp &TheApp();
