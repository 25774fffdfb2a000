// The one open session of the source: identities, TWAIN state, main dialog,
// job, capabilities, scan parameters and server settings.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "DSCaps.h"
#include "MainDlg.h"
#include "ScanRequestParams.h"
#include "ServerSettings.h"
#include "ScanJobLink.h"
#include "Transfers.h"
#include "Triplet.h"
#include "WinHandles.h"

// TWAIN states 4 to 7 as the source counts them.
enum : TW_UINT32 { STATE4 = 400, STATE5 = 500, STATE6 = 600, STATE7 = 700 };

class CDataSource : public IMainDlgHost {
public:
    // Throws TWCC_MAXCONNECTIONS when another process has the source open.
    CDataSource(const TW_IDENTITY &appIdentity, const TW_IDENTITY &sourceIdentity);
    virtual ~CDataSource();
    CDataSource(const CDataSource &) = delete;
    CDataSource &operator=(const CDataSource &) = delete;

    const TW_IDENTITY &AppIdentity() const { return m_appIdentity; }
    const TW_IDENTITY &SourceIdentity() const { return m_sourceIdentity; }
    TW_UINT32 State() const { return m_state; }
    CMainDlg &MainDlg() { return m_mainDlg; }
    CDSCaps &Caps() { return m_caps; }
    IScanJob *Job() const { return m_job.get(); }
    CScanRequestParams &ScanParams() { return m_scanParams; }
    CServerSettings &Server() { return m_server; }
    bool UiOnly() const { return m_uiOnly; }
    const std::wstring &ParentTitle() const override { return m_parentTitle; }
    const std::string &DefaultFolder() const { return m_defaultFolder; }
    const std::string &XferFileName() const { return m_xferFileName; }
    TW_UINT16 XferFileFormat() const { return m_xferFileFormat; }
    void SetXferFile(const std::string &name, TW_UINT16 format);
    // The temporary folder and the default file name of file transfers.
    std::string DefaultXferFileName() const;
    CTransfers &Transfers() { return m_transfers; }
    // Transfers move the state from 600 to 700 (and back on failure).
    void SetState(TW_UINT32 state) { m_state = state; }
    // The job, made now if none exists; null when no job can be made.
    IScanJob *EnsureJob();

    TW_UINT16 OnCapability(const TwainTriplet &t);
    TW_UINT16 OnUserInterface(const TwainTriplet &t);
    TW_UINT16 OnPendingXfers(const TwainTriplet &t);
    TW_UINT16 OnXferGroup(const TwainTriplet &t);
    TW_UINT16 OnPalette8(const TwainTriplet &t);

    // IMainDlgHost. The dialog's scan button.
    void ScanStart() override;
    HGLOBAL Prescan() override;
    // The dialog's close button: ends the job and asks to be closed.
    void Cancel() override;
    void EndJob() override;
    HINSTANCE ResourceModule() const override;
    std::wstring ProfilePath() const override;
    void CloseForEndSession() override;
    HWND ProgressWindow() const override;
    double CurrentResolution() const override;
    // Sends a DAT_NULL notification to the application through the source
    // manager; silently nothing when the manager cannot be reached.
    void Notify(TW_UINT16 msg);

private:
    TW_UINT16 EnableDS(const TW_USERINTERFACE &ui, bool uiOnly, TW_BOOL &showUI);
    TW_UINT16 PendingGet(TW_PENDINGXFERS &pending);
    TW_UINT16 PendingEndXfer(TW_PENDINGXFERS &pending);
    TW_UINT16 PendingReset(TW_PENDINGXFERS &pending);
    // Finishes the page and says whether another one is expected.
    bool FinishPage();
    bool KeepsJobAfterPage() const;
    // Back in state 5 after the transfers: the dialog takes input again.
    void ReturnToDialog();

    CMainDlg m_mainDlg;
    std::string m_defaultFolder;
    std::unique_ptr<IScanJob> m_job;
    TW_UINT16 m_xferFileFormat = TWFF_BMP;
    std::string m_xferFileName;
    TW_IDENTITY m_appIdentity;
    TW_IDENTITY m_sourceIdentity;
    TW_UINT32 m_state = STATE4;
    CDSCaps m_caps;
    CScanRequestParams m_scanParams;
    CAutoHandle m_instanceMutex;
    CServerSettings m_server;
    bool m_uiOnly = false;
    std::wstring m_parentTitle;
    CTransfers m_transfers{*this};
};
