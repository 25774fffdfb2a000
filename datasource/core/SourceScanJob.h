// The scan job as the data source holds it: the network job of one scan
// start, with the settings it scans with and the source's dialog, caps and
// message box as its host.
#pragma once

#include <memory>

#include "JobDialogs.h"
#include "JobHost.h"
#include "ScanJob.h"
#include "ScanJobLink.h"
#include "SettingsStore.h"

class CDataSource;

class CSourceScanJob : public IScanJob, private CJobHost {
public:
    CSourceScanJob(CDataSource &source, bool prescan);
    ~CSourceScanJob() override;

    // The factory the module registers with its application object.
    static std::unique_ptr<IScanJob> Create(CDataSource &source, bool prescan);

    void ApplyDialogSettings() override;
    void ResetPageCount() override { m_job->ResetPages(); }
    int32_t Advance() override { return m_job->Advance(); }
    bool Read(char *buffer, uint32_t &size) override { return m_job->Read(buffer, size); }
    void SetRowsDelivered(uint32_t rows) override { m_rowsDelivered = rows; }
    int32_t Result() const override { return m_job->Result(); }
    CXferPage Page() const override;
    void ClipToModulePageSize() override { m_job->ClipToModulePageSize(); }
    void AbandonImage() override { m_job->AbandonImage(); }
    void ShowErrorMessage() override { m_job->ShowError(); }
    void FinishPage() override { m_job->EndPage(); }
    bool MorePages() override { return m_job->MorePages(); }
    void SetResult(int32_t result) override { m_job->SetResult(result); }
    bool HasProgressDialog() const override { return m_job->HasProgressDialog(); }
    HWND ProgressWindow() const override {
        return m_job->HasProgressDialog() ? m_job->ProgressDialog()->Window() : nullptr;
    }
    void CloseProgressDialog() override { m_job->CloseProgressDialog(); }
    bool IsPlaten() const override { return m_job->PageSource() == 0; }
    void MarkEnding() override { m_job->MarkEnding(); }

    CScanJob &Job() { return *m_job; }

private:
    // CJobHost
    HWND MainWindow() const override;
    HINSTANCE ResourceModule() const override;
    const CScanSettings &Settings() const override;
    CScanRequestParams RequestParams(bool prescan) const override;
    const CServerSettings &Server() const override;
    uint16_t HttpPort() const override;
    bool HoldsPrescanImage() const override;
    void SetCapResolution(int32_t dpi) override;
    void SetCapPixelType(int32_t colourMode) override;
    int ShowMessage(const std::wstring &text, UINT flags) override;
    IJobDialogs &Dialogs() override { return m_dialogs; }

    // The dialog's record, as its pages stored it when Scan was pressed.
    void TakeDialogSettings();
    void CutHeldImage();
    CSettingsStore &Store() const;

    CDataSource &m_source;
    CModuleStrings m_strings;
    CJobDialogs m_dialogs;
    std::unique_ptr<CScanJob> m_job;
    uint32_t m_rowsDelivered = 0;
};
