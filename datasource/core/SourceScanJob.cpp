#include "SourceScanJob.h"

#include "DataSource.h"
#include "MessageBox.h"
#include "TwainSrcApp.h"
#include "res/net_ids.h"

CSourceScanJob::CSourceScanJob(CDataSource &source, bool prescan)
    : m_source(source), m_strings(TheApp().Instance()), m_dialogs(TheApp().Instance()) {
    TakeDialogSettings();
    m_job = std::make_unique<CScanJob>(static_cast<CJobHost &>(*this), prescan);
    CutHeldImage();
}

CSourceScanJob::~CSourceScanJob() {
    // The job ends the server's job while the dialog and settings still exist.
    m_job.reset();
}

std::unique_ptr<IScanJob> CSourceScanJob::Create(CDataSource &source, bool prescan) {
    return std::make_unique<CSourceScanJob>(source, prescan);
}

CSettingsStore &CSourceScanJob::Store() const {
    return m_source.MainDlg().Store();
}

void CSourceScanJob::TakeDialogSettings() {
    m_source.ScanParams() = Store().RequestParams(false);
    m_source.Server() = Store().Server;
}

void CSourceScanJob::ApplyDialogSettings() {
    TakeDialogSettings();
    m_job->Reconfigure();
    CutHeldImage();
}

void CSourceScanJob::CutHeldImage() {
    // The preview's grid is the held image's own: the selection is already
    // in the pixels the transfers copy.
    CMainDlg &dialog = m_source.MainDlg();
    if (!dialog.HasHeldImage())
        return;
    const CScanArea area = dialog.ScanArea();
    m_job->SetCut(area.left, area.top, area.width, area.height);
    m_rowsDelivered = 0;
}

CXferPage CSourceScanJob::Page() const {
    CXferPage p;
    p.pixelWidth = m_job->PixelWidth();
    p.pixelHeight = m_job->PixelHeight();
    p.bitsPerPixel = BitsPerPixelOfColourMode(m_job->ColourMode());
    p.resolution = m_job->Resolution();
    p.bytesPerRow = static_cast<uint32_t>(m_job->Geometry().bytesPerRow);
    p.bytesReceived = static_cast<uint32_t>(m_job->BytesReceived());
    p.rowsDelivered = m_rowsDelivered;
    p.leftOffset = m_job->LeftOffset();
    p.topOffset = m_job->TopOffset();
    p.pages = m_job->Pages();
    return p;
}

HWND CSourceScanJob::MainWindow() const {
    return m_source.MainDlg().Hwnd();
}

HINSTANCE CSourceScanJob::ResourceModule() const {
    return TheApp().Instance();
}

const CScanSettings &CSourceScanJob::Settings() const {
    return Store().Settings;
}

CScanRequestParams CSourceScanJob::RequestParams(bool prescan) const {
    return Store().RequestParams(prescan);
}

const CServerSettings &CSourceScanJob::Server() const {
    return Store().Server;
}

uint16_t CSourceScanJob::HttpPort() const {
    const int32_t fallback = _wtoi(m_strings.Load(IDS_HTTP_PORT_DEFAULT).c_str());
    const int32_t port = Store().HttpPort(fallback > 0 ? fallback : 80);
    return static_cast<uint16_t>(port > 0 && port < 65536 ? port : 80);
}

bool CSourceScanJob::HoldsPrescanImage() const {
    return m_source.MainDlg().HasHeldImage();
}

void CSourceScanJob::SetCapResolution(int32_t dpi) {
    m_source.Caps().SetXResolution(dpi);
}

void CSourceScanJob::SetCapPixelType(int32_t colourMode) {
    m_source.Caps().SetPixelTypeFromColourMode(colourMode);
}

int CSourceScanJob::ShowMessage(const std::wstring &text, UINT flags) {
    return DsMessageBox(m_source.MainDlg().Hwnd(), text, flags);
}
