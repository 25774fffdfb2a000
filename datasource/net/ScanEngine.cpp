#include "ScanEngine.h"

#include <algorithm>

#include "ClientSystemText.h"
#include "CommandBody.h"
#include "ReplyDecision.h"
#include "ServerMessages.h"
#include "Utf8.h"

namespace {

// Replies other than image data are a few short lines; anything longer is
// not this protocol and is not kept.
constexpr size_t kMaxTextReply = 64 * 1024;

// Clears the busy mark however a call leaves.
class CBusyMark {
public:
    explicit CBusyMark(std::atomic<bool> &busy) : m_busy(busy) { m_busy = true; }
    ~CBusyMark() { m_busy = false; }

private:
    std::atomic<bool> &m_busy;
};

}  // namespace

// The host of a program with nothing to show: sleeps through pauses, and
// knows of no cancel but the engine's own flag.
class CScanEngine::CSleeperHost : public IEngineHost {
public:
    explicit CSleeperHost(Sleeper sleep) : m_sleep(std::move(sleep)) {}
    void ShowServerStatus(const CServerReply *) override {}
    void ReadyAnswer(int32_t) override {}
    bool UserCancelled() const override { return false; }
    void Pause(int milliseconds) override { m_sleep(milliseconds); }

private:
    Sleeper m_sleep;
};

CScanEngine::CScanEngine(ITransport &transport, const CScanRequestParams &params,
                         const std::string &userName, Sleeper sleep)
    : m_transport(transport),
      m_params(params),
      m_userName(userName),
      m_ownHost(std::make_unique<CSleeperHost>(std::move(sleep))),
      m_host(m_ownHost.get()),
      m_headers(CommandHeaderLines("Japanese")) {}

CScanEngine::CScanEngine(ITransport &transport, const CScanRequestParams &params,
                         const std::string &userName, IEngineHost &host)
    : m_transport(transport),
      m_params(params),
      m_userName(userName),
      m_host(&host),
      m_headers(CommandHeaderLines("Japanese")) {}

CScanEngine::~CScanEngine() {
    CloseJob();
}

void CScanEngine::SetLanguage(const std::string &language) {
    m_headers = CommandHeaderLines(language);
}

void CScanEngine::KeepAliveWith(CJobHeartBeat::Connector connect, int intervalMs) {
    m_heartbeat = std::make_unique<CJobHeartBeat>(std::move(connect), m_headers);
    m_heartbeat->SetInterval(intervalMs);
}

void CScanEngine::StartHeartBeat() {
    if (m_heartbeat && !m_heartbeat->IsRunning())
        m_heartbeat->Start(m_session);
}

void CScanEngine::StopHeartBeat() {
    // Nothing of the job may reach the server after the caller's next
    // command.
    if (m_heartbeat)
        m_heartbeat->StopAndWait();
}

bool CScanEngine::WaitReady() {
    if (m_readyPollMs > 0)
        m_host->Pause(m_readyPollMs);
    return !Cancelling();
}

bool CScanEngine::ReadText(IHttpResponse &response, std::string &text) {
    char chunk[4096];
    for (;;) {
        const long n = response.Read(chunk, sizeof chunk);
        if (n < 0) {
            m_transportError = response.Error();
            return false;
        }
        if (n == 0)
            return true;
        if (text.size() + static_cast<size_t>(n) > kMaxTextReply) {
            // The rest is not this protocol; what came before it still
            // holds the reply's keys.
            text.append(chunk, kMaxTextReply - text.size());
            return true;
        }
        text.append(chunk, static_cast<size_t>(n));
    }
}

bool CScanEngine::DiscoverPath() {
    std::unique_ptr<IHttpResponse> r =
        m_transport.Send(kWebPathObject, nullptr, {}, m_transportError);
    if (!r) {
        m_httpStatus = 0;
        m_error = EEngineError::Transport;
        return false;
    }
    m_httpStatus = r->Status();
    if (m_httpStatus != 200) {
        m_error = EEngineError::HttpStatus;
        return false;
    }
    std::string text;
    if (!ReadText(*r, text)) {
        m_error = EEngineError::BrokenOff;
        return false;
    }
    m_commandPath = CommandPathFromWebPath(text);
    // Asking again would get the same file: a server without the line
    // cannot be driven, and saying so beats polling it forever.
    if (m_commandPath.empty()) {
        m_error = EEngineError::NoCommandPath;
        return false;
    }
    return true;
}

CScanEngine::EStep CScanEngine::Exchange(const char *command, const std::string &body,
                                         bool honourCancel) {
    const bool image = std::string_view(command) == cmd::kGetImage;
    for (;;) {
        m_response.reset();
        m_reply.ClearForAttempt();
        if (m_commandPath.empty() && !DiscoverPath())
            return EStep::Failed;
        m_response = m_transport.Send(m_commandPath, &body, m_headers, m_transportError);
        if (!m_response) {
            m_httpStatus = 0;
            m_error = EEngineError::Transport;
            return EStep::Failed;
        }
        m_httpStatus = m_response->Status();
        bool atImage = false;
        if (image) {
            CImageReplyReader reader(m_reply);
            char c;
            // The keys are read a byte at a time: what follows
            // "Y_IMAGE_DATA=" is the image and stays in the stream.
            while (reader.GetState() == CImageReplyReader::State::Keys) {
                const long n = m_response->Read(&c, 1);
                if (n < 0) {
                    m_transportError = m_response->Error();
                    m_error = EEngineError::BrokenOff;
                    return EStep::Failed;
                }
                if (n == 0)
                    break;
                reader.Feed(&c, 1);
            }
            if (reader.GetState() == CImageReplyReader::State::Malformed) {
                m_transportError = "malformed image reply";
                m_error = EEngineError::BrokenOff;
                return EStep::Failed;
            }
            atImage = reader.AtImageData();
        } else {
            std::string text;
            if (!ReadText(*m_response, text)) {
                m_error = EEngineError::BrokenOff;
                return EStep::Failed;
            }
            ParseReplyText(text, m_reply, command);
        }
        CReplyDecision d = DecideAfterReply(command, m_reply, static_cast<uint32_t>(m_httpStatus),
                                            honourCancel && Cancelling());
        if (d.showStatus)
            m_host->ShowServerStatus(&m_reply);
        if (d.pause) {
            m_host->Pause(m_retryPauseMs);
            // Decided again: the user may have given up during the pause.
            d = DecideAfterReply(command, m_reply, static_cast<uint32_t>(m_httpStatus),
                                 honourCancel && Cancelling());
        }
        // The image's status line is over once its answer is in.
        if (image && d.step != EReplyStep::Retry)
            m_host->ShowServerStatus(nullptr);
        switch (d.step) {
            case EReplyStep::Retry:
                continue;
            case EReplyStep::FeederEmpty:
                m_response.reset();
                return EStep::FeederEmpty;
            case EReplyStep::Failed:
                m_response.reset();
                m_error = m_httpStatus != 200 ? EEngineError::HttpStatus : EEngineError::Server;
                return EStep::Failed;
            case EReplyStep::Done:
                break;
        }
        // An image answer without image data (given up by a cancel, or
        // nothing this client can read bytes from) is still an answer: the
        // caller sees that no bytes are announced.
        if (!image || !atImage)
            m_response.reset();
        return EStep::Done;
    }
}

EEngineStep CScanEngine::SessionCommand(const char *command, bool honourCancel) {
    switch (Exchange(command, BuildSessionCommandBody(command, m_session), honourCancel)) {
        case EStep::Done:
            return EEngineStep::Done;
        case EStep::FeederEmpty:
            return EEngineStep::FeederEmpty;
        case EStep::Failed:
            break;
    }
    return honourCancel && Cancelling() ? EEngineStep::Cancelled : EEngineStep::Failed;
}

// ---- The steps -------------------------------------------------------------

EEngineStep CScanEngine::BeginJob() {
    m_reply = CServerReply{};
    const std::string body =
        BuildBeginJobBody(m_params, FormatClientSystemText(QueryOsVersion()), m_userName,
                          m_password, CLeadByteTable::SystemCodePage());
    const EStep step = Exchange(cmd::kBeginJob, body);
    // The device's own log-on wins over whatever else the answer says.
    if (m_reply.scanAuthentic == 1) {
        m_error = EEngineError::AuthAtDevice;
        return EEngineStep::Failed;
    }
    if (step != EStep::Done)
        return Cancelling() ? EEngineStep::Cancelled : EEngineStep::Failed;
    m_session = m_reply.session;
    m_phase = EPhase::Begun;
    return EEngineStep::Done;
}

EEngineStep CScanEngine::ReadyBeginJob() {
    for (;;) {
        const EEngineStep step = SessionCommand(cmd::kReadyBeginJob);
        if (Cancelling())
            return EEngineStep::Cancelled;
        if (step != EEngineStep::Done) {
            // The server has no job waiting any more: what is left of it
            // is ended, not cancelled.
            m_phase = EPhase::Ready;
            StopHeartBeat();
            return EEngineStep::Failed;
        }
        m_host->ShowServerStatus(nullptr);
        if (m_reply.ready == 0)
            break;
        if (!WaitReady())
            return EEngineStep::Cancelled;
    }
    m_phase = EPhase::Ready;
    return EEngineStep::Done;
}

EEngineStep CScanEngine::BeginScanPage() {
    const EEngineStep step = SessionCommand(cmd::kBeginScanPage);
    if (step == EEngineStep::Done)
        m_phase = EPhase::PageBegun;
    return step;
}

EEngineStep CScanEngine::ReadyScanPage() {
    for (;;) {
        const EEngineStep step = SessionCommand(cmd::kReadyScanPage);
        if (Cancelling())
            return EEngineStep::Cancelled;
        if (step != EEngineStep::Done)
            return step;
        m_host->ReadyAnswer(m_reply.ready);
        if (m_reply.ready == 0)
            break;
        if (!WaitReady())
            return EEngineStep::Cancelled;
    }
    m_phase = EPhase::PageReady;
    m_pixelWidth = m_reply.pixelWidth;
    m_pixelHeight = m_reply.pixelHeight;
    return EEngineStep::Done;
}

EEngineStep CScanEngine::BeginGetImage() {
    // The scanner may take long over the image; the server must know the
    // client is still there.
    StartHeartBeat();
    const EEngineStep step = SessionCommand(cmd::kBeginGetImage);
    if (step != EEngineStep::Done)
        return step;
    m_phase = EPhase::ImageOpen;
    StartHeartBeat();
    return step;
}

EEngineStep CScanEngine::GetImage(const CPageGeometry &page) {
    m_page = page;
    return OpenImage() ? EEngineStep::Done
                       : (Cancelling() ? EEngineStep::Cancelled : EEngineStep::Failed);
}

EEngineStep CScanEngine::ReadImage(char *data, size_t size, size_t &got) {
    got = 0;
    if (m_left == 0 || !m_response)
        return EEngineStep::Done;
    const long n = m_response->Read(data, std::min(size, static_cast<size_t>(m_left)));
    if (n < 0) {
        m_transportError = m_response->Error();
        m_error = EEngineError::BrokenOff;
        return EEngineStep::Failed;
    }
    got = static_cast<size_t>(n);
    m_left -= static_cast<uint32_t>(n);
    m_received += static_cast<uint32_t>(n);
    return EEngineStep::Done;
}

EEngineStep CScanEngine::CancelBeginJob(bool honourCancel) {
    const EEngineStep step = SessionCommand(cmd::kCancelBeginJob, honourCancel);
    if (step == EEngineStep::Done)
        m_phase = EPhase::Idle;
    return step;
}

EEngineStep CScanEngine::CancelScanPage(bool honourCancel) {
    const EEngineStep step = SessionCommand(cmd::kCancelScanPage, honourCancel);
    if (step == EEngineStep::Done)
        m_phase = EPhase::Ready;
    return step;
}

EEngineStep CScanEngine::CancelGetImage(bool honourCancel) {
    CloseImage();
    const EEngineStep step = SessionCommand(cmd::kCancelGetImage, honourCancel);
    if (step == EEngineStep::Done) {
        StartHeartBeat();
        m_phase = EPhase::PageReady;
    }
    return step;
}

EEngineStep CScanEngine::EndJob(bool honourCancel) {
    StopHeartBeat();
    CloseImage();
    const EEngineStep step = SessionCommand(cmd::kEndJob, honourCancel);
    m_phase = EPhase::Idle;
    return step;
}

// ---- The whole page at once ------------------------------------------------

EEngineStatus CScanEngine::Fail(EEngineError error) {
    if (error != EEngineError::None)
        m_error = error;
    const EEngineError kept = m_error;
    const CServerReply reply = m_reply;
    const std::string transportError = m_transportError;
    const long httpStatus = m_httpStatus;
    CloseJob();
    // The error of the command that failed, not of the clean-up.
    m_error = kept;
    m_reply = reply;
    m_transportError = transportError;
    m_httpStatus = httpStatus;
    return EEngineStatus::Failed;
}

EEngineStatus CScanEngine::Cancelled() {
    CloseJob();
    return EEngineStatus::Cancelled;
}

EEngineStatus CScanEngine::StartPage() {
    CBusyMark busy(m_busy);
    m_error = EEngineError::None;
    m_transportError.clear();
    if (m_phase == EPhase::ImageOpen || m_phase == EPhase::PageReady) {
        // A page that was not read to its end: nothing of the job is left
        // in a known state.
        CloseJob();
    }
    if (Cancelling())
        return Cancelled();
    if (m_phase == EPhase::Idle) {
        const EEngineStep step = BeginJob();
        if (step == EEngineStep::Cancelled)
            return Cancelled();
        if (step != EEngineStep::Done)
            return Fail(EEngineError::None);
    }
    if (m_phase == EPhase::Begun) {
        if (Cancelling())
            return Cancelled();
        const EEngineStep step = ReadyBeginJob();
        if (step == EEngineStep::Cancelled)
            return Cancelled();
        if (step != EEngineStep::Done) {
            // Ended here with the rest of the job: the server may still
            // hold it as begun.
            m_phase = EPhase::Begun;
            return Fail(EEngineError::None);
        }
    }
    if (m_phase == EPhase::Ready) {
        if (Cancelling())
            return Cancelled();
        const EEngineStep step = BeginScanPage();
        if (step == EEngineStep::Cancelled)
            return Cancelled();
        if (step != EEngineStep::Done)
            return Fail(EEngineError::None);
    }
    if (Cancelling())
        return Cancelled();
    switch (ReadyScanPage()) {
        case EEngineStep::Done:
            break;
        case EEngineStep::FeederEmpty:
            // The server's answer to the sheet after the last one.
            m_phase = EPhase::Ready;
            CloseJob();
            return EEngineStatus::NoDocs;
        case EEngineStep::Cancelled:
            return Cancelled();
        case EEngineStep::Failed:
            return Fail(EEngineError::None);
    }
    if (Cancelling())
        return Cancelled();
    const EEngineStep step = BeginGetImage();
    if (step == EEngineStep::Cancelled)
        return Cancelled();
    if (step != EEngineStep::Done)
        return Fail(EEngineError::None);
    CPageGeometry page;
    if (!ComputePageGeometry(m_params.ColorMode, m_pixelWidth, m_pixelHeight, m_reply.rowBytes,
                             page))
        return Fail(EEngineError::BadPage);
    switch (GetImage(page)) {
        case EEngineStep::Done:
            break;
        case EEngineStep::Cancelled:
            return Cancelled();
        default:
            return Fail(EEngineError::None);
    }
    if (m_left == 0)
        return Cancelling() ? Cancelled() : Fail(EEngineError::Server);
    return EEngineStatus::Good;
}

bool CScanEngine::OpenImage() {
    m_received = 0;
    m_left = 0;
    const std::string body = BuildGetImageBody(m_session, 0, m_page.pageBytes);
    if (Exchange(cmd::kGetImage, body) != EStep::Done)
        return false;
    if (!m_response)
        return true;
    const uint32_t announced = m_reply.dataByte > 0 ? static_cast<uint32_t>(m_reply.dataByte) : 0;
    m_left = std::min(announced, static_cast<uint32_t>(m_page.pageBytes));
    return true;
}

void CScanEngine::CloseImage() {
    m_response.reset();
    m_left = 0;
}

EEngineStatus CScanEngine::Read(char *data, size_t size, size_t &got) {
    CBusyMark busy(m_busy);
    got = 0;
    if (m_phase != EPhase::ImageOpen)
        return EEngineStatus::Good;
    if (Cancelling())
        return Cancelled();
    StartHeartBeat();
    if (m_left > 0) {
        if (ReadImage(data, size, got) != EEngineStep::Done)
            return Fail(EEngineError::BrokenOff);
        if (got == 0)
            return Fail(EEngineError::ShortData);
        if (m_left > 0)
            return EEngineStatus::Good;
    }
    CloseImage();
    if (m_received != static_cast<uint32_t>(m_page.pageBytes)) {
        // The server announced less than the page holds.
        return Fail(EEngineError::ShortData);
    }
    m_phase = EPhase::PageReady;
    if (m_params.PaperPlace == 0)
        CloseJob();
    else
        AwaitNextSheet();
    return EEngineStatus::Good;
}

void CScanEngine::CloseJob() {
    CloseImage();
    // The cancel commands run to their answer even after a cancel.
    switch (m_phase) {
        case EPhase::Begun:
            CancelBeginJob(false);
            break;
        case EPhase::PageBegun:
            SessionCommand(cmd::kCancelScanPage, false);
            break;
        case EPhase::ImageOpen:
            SessionCommand(cmd::kCancelGetImage, false);
            break;
        default:
            break;
    }
    StopHeartBeat();
    if (m_phase != EPhase::Idle)
        EndJob(false);
    m_response.reset();
    m_phase = EPhase::Idle;
    m_cancel = false;
}

std::string CScanEngine::DescribeError(const IStringSource &texts) const {
    switch (m_error) {
        case EEngineError::None:
            return std::string();
        case EEngineError::Transport:
            return "cannot reach the scan server: " + m_transportError;
        case EEngineError::BrokenOff:
            return "the connection to the scan server broke off: " + m_transportError;
        case EEngineError::HttpStatus:
            return "the scan server answered HTTP " + std::to_string(m_httpStatus);
        case EEngineError::NoCommandPath:
            return "the server's CV_WebPath.txt names no CGI_PATH";
        case EEngineError::BadPage:
            return "the server announced an impossible page (" + std::to_string(m_pixelWidth) +
                   " x " + std::to_string(m_pixelHeight) + " pixels)";
        case EEngineError::ShortData:
        case EEngineError::AuthAtDevice:
        case EEngineError::Server:
            break;
    }
    CErrorBoxInput in;
    in.reply = m_reply;
    in.jobResult = JOB_SERVER_ERROR;
    if (m_error == EEngineError::AuthAtDevice) {
        in.jobResult = JOB_AUTH_AT_DEVICE;
    } else if (m_error == EEngineError::ShortData) {
        in.jobResult = JOB_COMM_ERROR;
        return "image data ended early (" + std::to_string(m_received) + " of " +
               std::to_string(m_page.pageBytes) +
               " bytes): " + WideToUtf8(texts.Load(msgid::kDataCountMismatch));
    }
    const std::string text = WideToUtf8(ChooseErrorBoxText(in, texts));
    return "server result " + std::to_string(m_reply.result) + ", status " +
           std::to_string(m_reply.status) + (text.empty() ? std::string() : ": " + text);
}
