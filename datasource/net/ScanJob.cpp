#include "ScanJob.h"

#include <lmcons.h>

#include <algorithm>

#include "AnsiText_win.h"
#include "ClientSystemText.h"
#include "CommandBody.h"
#include "DiagLog.h"
#include "DocumentSizes.h"
#include "FormEscaper.h"
#include "ScanRequestParams.h"
#include "UnitConversion.h"
#include "res/net_ids.h"

CModulePageSize &ModulePageSize() {
    static CModulePageSize size;
    return size;
}

namespace {

// The Windows log-on name, at most 127 characters, in the ANSI code page.
std::string LogonName() {
    char name[UNLEN + 1] = {};
    DWORD len = sizeof name;
    if (!GetUserNameA(name, &len))
        return std::string();
    std::string s(name);
    if (s.size() > 127)
        s.resize(127);
    return s;
}

bool IsWindows95() {
    COsVersion v = QueryOsVersion();
    return v.known && v.platformId == 1 && v.major == 4 && v.minor == 0 &&
           v.servicePack.size() > 1 && v.servicePack[1] == 'C';
}

}  // namespace

CScanJob::CScanJob(CJobHost &host, bool prescan)
    : m_host(host), m_strings(host.ResourceModule()), m_prescan(prescan) {
    ModulePageSize() = CModulePageSize{};
    Reconfigure();
}

CScanJob::~CScanJob() {
    // The server must never keep a job open for a client that has gone.
    switch (m_phase) {
        case JOB_BEGUN:
            CancelBeginJob();
            break;
        case PAGE_BEGUN:
            CancelScanPage();
            break;
        case IMAGE_OPEN:
            CancelGetImage();
            break;
        default:
            break;
    }
    if (m_phase > JOB_IDLE)
        EndJob();
    m_progress.reset();
    m_cancelDlg.reset();
    m_engine.reset();
    m_transport.reset();
    m_heartbeat.reset();
}

void CScanJob::SetTimings(DWORD retryPauseMs, DWORD heartbeatMs) {
    m_retryPause = retryPauseMs;
    m_heartbeatInterval = heartbeatMs;
    if (m_engine)
        m_engine->SetRetryPause(static_cast<int>(retryPauseMs));
    if (m_heartbeat)
        m_heartbeat->SetInterval(heartbeatMs);
}

void CScanJob::Reconfigure() {
    const CScanSettings &s = m_host.Settings();
    const int32_t dpi = CScanSettings::DpiFromResolutionCode(s.Resolution);
    if (m_resolution != 0 && dpi != m_resolution) {
        m_pixelWidth = RescaleKnownPixels(m_pixelWidth, m_resolution, dpi);
        m_pixelHeight = RescaleKnownPixels(m_pixelHeight, m_resolution, dpi);
    }
    m_resolution = dpi;
    m_host.SetCapResolution(dpi);
    m_colourMode = s.ColorMode;
    m_host.SetCapPixelType(m_colourMode);
    m_pageSource = s.PaperPlace;
    m_leftOffset = m_topOffset = 0;
    const int32_t size = s.InputMediumSize;
    if (m_prescan || size == CDocumentSizes::kAutoDetect || size == 1) {
        m_pixelWidth = m_pixelHeight = 0;
    } else if (size == CDocumentSizes::kCustom) {
        m_pixelWidth = CUnitConversion::MmToPixels(s.InputMediumCustomWidth, dpi);
        m_pixelHeight = CUnitConversion::MmToPixels(s.InputMediumCustomHeight, dpi);
    } else if (auto paper = CDocumentSizes(m_strings).Size(size)) {
        m_pixelWidth = CUnitConversion::MmToPixels(paper->widthMm, dpi);
        m_pixelHeight = CUnitConversion::MmToPixels(paper->heightMm, dpi);
    }
}

void CScanJob::SetCut(int32_t left, int32_t top, int32_t width, int32_t height) {
    m_leftOffset = std::max(left, 0);
    m_topOffset = std::max(top, 0);
    m_pixelWidth = std::max(width, 0);
    m_pixelHeight = std::max(height, 0);
}

// ---- Plumbing ---------------------------------------------------------------

void CScanJob::ShowServerStatus(const CServerReply *reply) {
    if (!HasProgressDialog())
        return;
    m_progress->SetStatus(reply ? ChooseStatusLine(*reply, m_strings) : std::wstring());
}

void CScanJob::ReadyAnswer(int32_t ready) {
    if (ready == 2) {
        m_operatorWait = true;
        if (HasProgressDialog()) {
            m_progress->SetStoppedLook(true);
            m_progress->Repaint();
        }
        return;
    }
    if (m_operatorWait && HasProgressDialog())
        m_progress->SetStoppedLook(false);
    m_operatorWait = false;
}

void CScanJob::PumpOne() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return;
    if (HasProgressDialog() && IsDialogMessageW(m_progress->Window(), &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void CScanJob::WaitOnce(HANDLE event) {
    // Sleep until the worker answers or a window message arrives, rather
    // than spinning; then take at most one message, so Cancel is live.
    if (HasProgressDialog()) {
        MsgWaitForMultipleObjects(event ? 1 : 0, &event, FALSE, kPollSliceMs, QS_ALLINPUT);
        PumpOne();
    } else if (event) {
        WaitForSingleObject(event, kPollSliceMs);
    } else {
        Sleep(kPollSliceMs);
    }
}

void CScanJob::Pause(int milliseconds) {
    // Window messages (Cancel among them) are handled throughout the
    // pause, and a cancel ends it at once.
    const DWORD start = GetTickCount();
    while (!UserCancelled() && GetTickCount() - start < static_cast<DWORD>(milliseconds))
        WaitOnce(nullptr);
}

void CScanJob::PumpNowAndThen() {
    const DWORD now = GetTickCount();
    if (now - m_lastPump < kPumpIntervalMs)
        return;
    m_lastPump = now;
    PumpOne();
}

EPoll CScanJob::Poll(const std::function<EPoll()> &step) {
    for (;;) {
        EPoll r = step();
        if (r != EPoll::Pending)
            return r;
        WaitOnce(m_transport->Session().DoneEvent());
    }
}

bool CScanJob::Succeeded(EEngineStep step, const char *command) const {
    if (step == EEngineStep::Done)
        return true;
    // The request bodies are never logged: BEGIN_JOB carries the password.
    const CServerReply &reply = m_engine->LastReply();
    WriteLog("CScanJob, %s: %s (HTTP %ld, error %lu, Y_RESULT %d, Y_STATUS %d)", command,
             UserCancelled() ? "cancelled by the user" : "failed", m_engine->LastHttpStatus(),
             static_cast<unsigned long>(m_transport->ErrorCode()), reply.result, reply.status);
    return false;
}

int32_t CScanJob::FailResult() const {
    return m_engine && m_engine->LastHttpStatus() == 200 ? JOB_SERVER_ERROR : JOB_COMM_ERROR;
}

void CScanJob::Fail() {
    CloseProgressDialog();
    m_result = FailResult();
}

void CScanJob::CloseProgressDialog() {
    m_progress.reset();
}

void CScanJob::StartHeartbeat() {
    if (m_heartbeat && !m_heartbeat->IsRunning())
        m_heartbeat->Start(m_sessionId);
}

void CScanJob::StopHeartbeat() {
    if (m_heartbeat)
        m_heartbeat->Stop();
}

bool CScanJob::SetUpSession() {
    if (m_heartbeat) {
        m_heartbeat->Stop();
        m_heartbeat.reset();
    }
    m_engine.reset();
    m_transport.reset();
    const CServerSettings &srv = m_host.Server();
    CHttpConnectParams p;
    p.agent = "VELT-TWAIN(Ver3.0)";
    if (srv.EnableProxy)
        p.proxy = srv.ProxyName + ":" + srv.ProxyPort;
    p.server = srv.Server;
    p.port = m_host.HttpPort();
    // The login and password are the proxy's: offered to it only when it
    // is used with authentication, and never to the scan server.
    if (srv.EnableProxy && srv.EnableAuth) {
        p.proxyUser = srv.UserName;
        p.proxyPassword = srv.Password;
    }
    const std::string language = CAnsiText::FromWide(m_strings.Load(IDS_LANGUAGE_HEADER));
    m_transport = std::make_unique<CSessionTransport>([this](HANDLE done) { WaitOnce(done); });
    m_engine = std::make_unique<CScanEngine>(*m_transport, m_host.RequestParams(m_prescan),
                                             LogonName(), static_cast<IEngineHost &>(*this));
    m_engine->SetLanguage(language);
    m_engine->SetPassword(srv.Password);
    m_engine->SetRetryPause(static_cast<int>(m_retryPause));
    m_heartbeat = std::make_unique<CHeartBeatHttpSession>(p, language);
    m_heartbeat->SetInterval(m_heartbeatInterval);
    return m_transport->Connect(p);
}

// ---- advance -------------------------------------------------------------------

int32_t CScanJob::Advance() {
    if (m_result != JOB_OK)
        return m_result;
    HWND main = m_host.MainWindow();
    if (m_prescan) {
        m_progress = m_host.Dialogs().OpenProgress(IJobDialogs::EProgress::Prescan, main,
                                                   [this] { m_result = JOB_CANCELLED; });
    } else if (!HasProgressDialog()) {
        if (main)
            EnableWindow(main, FALSE);
        m_progress = m_host.Dialogs().OpenProgress(IJobDialogs::EProgress::Scan, main,
                                                   [this] { m_result = JOB_CANCELLED; });
    }
    m_progress->SetPage(m_pageSource != 0 ? m_pages : 0);
    m_progress->SetProgress(0, 0);
    m_progress->Repaint();
    if (main)
        EnableWindow(main, FALSE);

    if (m_host.HoldsPrescanImage())
        return m_result;

    // A new connection at every scan start; the pages of a feeder job that
    // is already running go on in the session they began in.
    if (!m_engine || m_phase == JOB_IDLE) {
        if (!SetUpSession()) {
            m_result = JOB_COMM_ERROR;
            return m_result;
        }
    }
    if (m_phase == JOB_IDLE && !BeginJob())
        return m_result;
    if (m_phase == JOB_BEGUN && !WaitJobReady())
        return m_result;
    if (m_phase == JOB_READY) {
        if (!Succeeded(m_engine->BeginScanPage(), cmd::kBeginScanPage)) {
            Fail();
            return m_result;
        }
        m_phase = PAGE_BEGUN;
    }
    if (m_phase == PAGE_BEGUN && !WaitPageReady())
        return m_result;
    if (m_phase == PAGE_READY)
        OpenImage();
    return m_result;
}

bool CScanJob::BeginJob() {
    const EEngineStep step = m_engine->BeginJob();
    if (m_engine->LastReply().scanAuthentic == 1) {
        CloseProgressDialog();
        m_result = JOB_AUTH_AT_DEVICE;
        return false;
    }
    if (!Succeeded(step, cmd::kBeginJob)) {
        Fail();
        return false;
    }
    m_sessionId = m_engine->Session();
    m_phase = JOB_BEGUN;
    WriteLog("BEGIN_JOB session %d", m_sessionId);
    return true;
}

bool CScanJob::CancelWhileWaiting(bool (CScanJob::*cancel)(), bool refusalShown) {
    // The cancel dialog stands while the matching cancel command runs; the
    // scan start then fails quietly, unless a refused cancel is the user's
    // to see (its result 3 or 4 then stays).
    m_cancelDlg = m_host.Dialogs().OpenCancelNotice(m_host.MainWindow());
    if ((this->*cancel)() || !refusalShown)
        m_result = JOB_CANCELLED;
    return false;
}

bool CScanJob::WaitJobReady() {
    const EEngineStep step = m_engine->ReadyBeginJob();
    if (m_result == JOB_CANCELLED)
        return CancelWhileWaiting(&CScanJob::CancelBeginJob, true);
    if (!Succeeded(step, cmd::kReadyBeginJob)) {
        CloseProgressDialog();
        m_phase = JOB_READY;
        StopHeartbeat();
        m_result = FailResult();
        return false;
    }
    m_phase = JOB_READY;
    return true;
}

bool CScanJob::WaitPageReady() {
    m_operatorWait = false;
    const EEngineStep step = m_engine->ReadyScanPage();
    if (m_result == JOB_CANCELLED)
        return CancelWhileWaiting(&CScanJob::CancelScanPage, false);
    if (!Succeeded(step, cmd::kReadyScanPage)) {
        Fail();
        return false;
    }
    const CServerReply &reply = m_engine->LastReply();
    ++m_pages;
    if (HasProgressDialog()) {
        m_progress->SetPage(m_pageSource != 0 ? m_pages : 0);
        m_progress->SetProgress(0, 0);
    }
    ModulePageSize() = CModulePageSize{reply.pixelWidth, reply.pixelHeight};
    const int32_t size = m_host.Settings().InputMediumSize;
    if (size == CDocumentSizes::kAutoDetect || size == CDocumentSizes::kCustom) {
        m_pixelWidth = reply.pixelWidth;
        m_pixelHeight = reply.pixelHeight;
    }
    m_imageRequested = false;
    m_phase = PAGE_READY;
    return true;
}

bool CScanJob::OpenImage() {
    StartHeartbeat();
    m_pixelWidth = ModulePageSize().width;
    m_pixelHeight = ModulePageSize().height;
    if (!Succeeded(m_engine->BeginGetImage(), cmd::kBeginGetImage)) {
        Fail();
        m_engine->CloseImage();
        return false;
    }
    m_rowSize = m_engine->RowBytes();
    m_bytesReceived = 0;
    m_imageRequested = true;
    // Known before the first read, for the memory transfer's buffer sizes;
    // an impossible page leaves it empty and is refused when read.
    ComputePageGeometry(m_colourMode, m_pixelWidth, m_pixelHeight, m_rowSize, m_geometry);
    m_imageOpen = false;
    m_phase = IMAGE_OPEN;
    StartHeartbeat();
    return true;
}

// ---- read ----------------------------------------------------------------------

bool CScanJob::OpenImageRequest() {
    m_bytesReceived = 0;
    // The server's numbers decide the sizes of everything that follows: an
    // impossible page is refused here as a communication error.
    if (!ComputePageGeometry(m_colourMode, m_pixelWidth, m_pixelHeight, m_rowSize, m_geometry)) {
        m_engine->CloseImage();
        CloseProgressDialog();
        m_host.ShowMessage(m_strings.Load(IDS_DATA_COUNT_MISMATCH),
                           MB_SYSTEMMODAL | MB_ICONEXCLAMATION);
        m_result = JOB_COMM_ERROR;
        return false;
    }
    if (!Succeeded(m_engine->GetImage(m_geometry), cmd::kGetImage)) {
        m_engine->CloseImage();
        Fail();
        return false;
    }
    if (m_result != JOB_OK) {
        m_engine->CloseImage();
        return false;
    }
    m_bytesLeft = static_cast<int32_t>(m_engine->ImageBytesLeft());
    m_imageOpen = true;
    if (HasProgressDialog())
        m_progress->SetProgress(0, static_cast<uint32_t>(m_bytesLeft));
    return true;
}

bool CScanJob::Read(char *buffer, uint32_t &size) {
    const uint32_t capacity = size;
    size = 0;
    // Only an open image has rows; a page already delivered is not
    // fetched a second time.
    if (m_result != JOB_OK || m_phase != IMAGE_OPEN)
        return true;
    if (!m_imageOpen && !OpenImageRequest())
        return true;
    StartHeartbeat();
    const uint32_t chunk =
        ReadChunkSize(capacity, m_geometry, static_cast<uint32_t>(m_bytesReceived));
    PumpNowAndThen();
    if (m_result != JOB_OK) {
        WriteLog("CScanJob::Read(), the image stopped after %d of %d bytes: result %d",
                 m_bytesReceived, m_geometry.pageBytes, m_result);
        m_engine->CloseImage();
        m_imageOpen = false;
        return true;
    }
    DWORD got = 0;
    EPoll r = EPoll::Done;
    if (chunk > 0 && m_bytesLeft > 0) {
        r = Poll([&] {
            if (m_result != JOB_OK)
                return EPoll::Failed;
            return m_transport->Session().ReadChunk(buffer, chunk, got);
        });
    }
    if (r == EPoll::Failed) {
        // A broken stream in the middle of a page is a communication error:
        // fetching the page again from its start would hand the application
        // rows it already has.
        WriteLog("CScanJob::Read(), the image broke off after %d of %d bytes (error %lu)",
                 m_bytesReceived, m_geometry.pageBytes,
                 static_cast<unsigned long>(m_transport->ErrorCode()));
        m_engine->CloseImage();
        m_imageOpen = false;
        if (m_result == JOB_OK) {
            CloseProgressDialog();
            m_result = JOB_COMM_ERROR;
        }
        return true;
    }
    m_bytesLeft -= static_cast<int32_t>(got);
    m_bytesReceived += static_cast<int32_t>(got);
    size = got;
    if (HasProgressDialog())
        m_progress->SetProgress(static_cast<uint32_t>(m_bytesReceived), 0);
    if (m_bytesLeft > 0) {
        if (got > 0)
            return false;
        // The stream ended before the announced byte count.
        m_result = JOB_SERVER_ERROR;
        m_engine->LastReply().result = 0x8000;
    }
    return FinishPage();
}

bool CScanJob::FinishPage() {
    m_engine->CloseImage();
    m_imageOpen = false;
    if (m_bytesReceived != m_geometry.pageBytes && m_result == JOB_OK) {
        WriteLog("CScanJob::FinishPage(), %d bytes received of the %d announced", m_bytesReceived,
                 m_geometry.pageBytes);
        m_host.ShowMessage(m_strings.Load(IDS_DATA_COUNT_MISMATCH),
                           MB_SYSTEMMODAL | MB_ICONEXCLAMATION);
        m_result = JOB_COMM_ERROR;
    }
    if (m_prescan)
        CloseProgressDialog();
    m_phase = PAGE_READY;
    return true;
}

// ---- page end, more pages, cancel commands -------------------------------------

void CScanJob::AbandonImage() {
    CancelGetImage();
    m_phase = PAGE_READY;
}

void CScanJob::ClipToModulePageSize() {
    const CModulePageSize &page = ModulePageSize();
    m_pixelWidth = std::min(m_pixelWidth, page.width);
    m_pixelHeight = std::min(m_pixelHeight, page.height);
}

void CScanJob::EndPage() {
    switch (m_phase) {
        case PAGE_BEGUN:
            CancelScanPage();
            m_phase = JOB_READY;
            break;
        case PAGE_READY:
            if (m_pageSource != 0) {
                // A sheet whose image broke off is still open on the server,
                // which will not move to the next sheet until it is cancelled.
                // Only a courtesy: the page's outcome is already told, and a
                // server that refuses it changes nothing of it.
                if (ImageUnfinished()) {
                    const int32_t outcome = m_result;
                    const bool released = CancelGetImage(true);
                    if (!released) {
                        // The server keeps the broken sheet, so no next
                        // sheet can follow: the job ends here, quietly,
                        // since the user has been told of this page.
                        EndJob();
                        m_result = outcome;
                        break;
                    }
                    m_result = outcome;
                }
                m_phase = PAGE_BEGUN;
            }
            break;
        case IMAGE_OPEN:
            CloseProgressDialog();
            CancelGetImage();
            if (m_pageSource != 0)
                m_phase = JOB_READY;
            break;
        default:
            break;
    }
    if (m_phase != PAGE_BEGUN) {
        CloseProgressDialog();
        Reconfigure();
    }
}

bool CScanJob::MorePages() {
    if (m_pageSource == 0 || m_phase == JOB_IDLE || m_phase == JOB_BEGUN)
        return false;
    if (m_phase != PAGE_BEGUN)
        return true;
    if (!m_engine)
        return false;
    if (WaitPageReady())
        return true;
    if (m_result != JOB_CANCELLED) {
        ShowError();
        EndJob();
    }
    return false;
}

bool CScanJob::CancelBeginJob() {
    const bool done = Succeeded(m_engine->CancelBeginJob(true), cmd::kCancelBeginJob);
    m_cancelDlg.reset();
    if (!done) {
        m_result = FailResult();
        return false;
    }
    m_phase = JOB_IDLE;
    return true;
}

bool CScanJob::CancelScanPage() {
    if (m_result == JOB_COMM_ERROR) {
        m_cancelDlg.reset();
        return false;
    }
    const bool done = Succeeded(m_engine->CancelScanPage(true), cmd::kCancelScanPage);
    m_cancelDlg.reset();
    if (!done) {
        m_result = FailResult();
        return false;
    }
    m_phase = JOB_READY;
    return true;
}

bool CScanJob::ImageUnfinished() const {
    return m_imageRequested && m_bytesReceived < m_geometry.pageBytes;
}

bool CScanJob::CancelGetImage(bool evenAfterCommError) {
    CloseProgressDialog();
    if ((m_result == JOB_COMM_ERROR && !evenAfterCommError) || !m_engine)
        return false;
    m_imageOpen = false;
    if (!Succeeded(m_engine->CancelGetImage(true), cmd::kCancelGetImage)) {
        m_result = FailResult();
        return false;
    }
    StartHeartbeat();
    m_imageRequested = false;
    m_phase = PAGE_READY;
    return true;
}

bool CScanJob::EndJob() {
    if (m_heartbeat)
        m_heartbeat->StopAndWait();
    bool ok = true;
    if (m_engine) {
        if (!Succeeded(m_engine->EndJob(true), cmd::kEndJob)) {
            m_result = FailResult();
            ok = false;
        } else if (IsWindows95()) {
            Sleep(kWin95EndPauseMs);
        }
    }
    m_pages = 0;
    m_phase = JOB_IDLE;
    return ok;
}

void CScanJob::ShowError() {
    CErrorBoxInput in;
    in.jobResult = m_result;
    if (m_engine) {
        in.transportError = m_transport->ErrorCode();
        in.reply = m_engine->LastReply();
    }
    const std::wstring text = ChooseErrorBoxText(in, m_strings);
    if (!text.empty())
        m_host.ShowMessage(text, MB_SYSTEMMODAL | MB_ICONEXCLAMATION);
}
