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
constexpr int kRetryPauseMs = 500;

// Clears the busy mark however a call leaves.
class CBusyMark {
public:
    explicit CBusyMark(std::atomic<bool> &busy) : m_busy(busy) { m_busy = true; }
    ~CBusyMark() { m_busy = false; }

private:
    std::atomic<bool> &m_busy;
};

}  // namespace

CScanEngine::CScanEngine(ITransport &transport, const CScanRequestParams &params,
                         const std::string &userName, Sleeper sleep)
    : m_transport(transport),
      m_params(params),
      m_userName(userName),
      m_sleep(std::move(sleep)),
      m_headers(CommandHeaderLines("Japanese")) {}

CScanEngine::~CScanEngine() {
    EndJob();
}

void CScanEngine::KeepAliveWith(CJobHeartBeat::Connector connect, int intervalMs) {
    m_heartbeat = std::make_unique<CJobHeartBeat>(std::move(connect), m_headers);
    m_heartbeat->SetInterval(intervalMs);
}

void CScanEngine::StartHeartBeat() {
    if (m_heartbeat && !m_heartbeat->IsRunning())
        m_heartbeat->Start(m_session);
}

void CScanEngine::WaitReady() {
    if (m_readyPollMs > 0)
        m_sleep(m_readyPollMs);
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
            m_transportError = "reply too long";
            return false;
        }
        text.append(chunk, static_cast<size_t>(n));
    }
}

bool CScanEngine::DiscoverPath() {
    std::unique_ptr<IHttpResponse> r =
        m_transport.Send(kWebPathObject, nullptr, {}, m_transportError);
    if (!r) {
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
            atImage = reader.AtImageData();
        } else {
            std::string text;
            if (!ReadText(*m_response, text)) {
                m_error = EEngineError::BrokenOff;
                return EStep::Failed;
            }
            ParseReplyText(text, m_reply, command);
        }
        const bool cancelled = honourCancel && m_cancel;
        CReplyDecision d =
            DecideAfterReply(command, m_reply, static_cast<uint32_t>(m_httpStatus), cancelled);
        if (d.pause) {
            m_sleep(kRetryPauseMs);
            d = DecideAfterReply(command, m_reply, static_cast<uint32_t>(m_httpStatus),
                                 honourCancel && m_cancel);
        }
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
        if (image && (!atImage || m_reply.result != 0)) {
            // Answered, but without image data: given up by a cancel, or an
            // answer this client cannot read bytes from.
            m_response.reset();
            if (m_cancel)
                return EStep::Done;
            m_error = EEngineError::Server;
            return EStep::Failed;
        }
        if (!image)
            m_response.reset();
        return EStep::Done;
    }
}

EEngineStatus CScanEngine::Fail(EEngineError error) {
    if (error != EEngineError::None)
        m_error = error;
    const EEngineError kept = m_error;
    const CServerReply reply = m_reply;
    const std::string transportError = m_transportError;
    EndJob();
    // The error of the command that failed, not of the clean-up.
    m_error = kept;
    m_reply = reply;
    m_transportError = transportError;
    return EEngineStatus::Failed;
}

EEngineStatus CScanEngine::Cancelled() {
    EndJob();
    return EEngineStatus::Cancelled;
}

EEngineStatus CScanEngine::StartPage() {
    CBusyMark busy(m_busy);
    m_error = EEngineError::None;
    m_transportError.clear();
    if (m_phase == EPhase::ImageOpen || m_phase == EPhase::PageReady) {
        // A page that was not read to its end: nothing of the job is left
        // in a known state.
        EndJob();
    }
    if (m_cancel)
        return Cancelled();
    if (m_phase == EPhase::Idle) {
        m_reply = CServerReply{};
        const std::string body =
            BuildBeginJobBody(m_params, FormatClientSystemText(QueryOsVersion()), m_userName,
                              std::string(), CLeadByteTable::SystemCodePage());
        if (Exchange(cmd::kBeginJob, body) != EStep::Done)
            return Fail(EEngineError::None);
        if (m_reply.scanAuthentic == 1)
            return Fail(EEngineError::AuthAtDevice);
        m_session = m_reply.session;
        m_phase = EPhase::Begun;
    }
    if (m_phase == EPhase::Begun) {
        for (;;) {
            if (m_cancel)
                return Cancelled();
            if (Exchange(cmd::kReadyBeginJob,
                         BuildSessionCommandBody(cmd::kReadyBeginJob, m_session)) != EStep::Done)
                return Fail(EEngineError::None);
            if (m_reply.ready == 0)
                break;
            WaitReady();
        }
        m_phase = EPhase::Ready;
    }
    if (m_phase == EPhase::Ready) {
        if (m_cancel)
            return Cancelled();
        if (Exchange(cmd::kBeginScanPage,
                     BuildSessionCommandBody(cmd::kBeginScanPage, m_session)) != EStep::Done)
            return Fail(EEngineError::None);
        m_phase = EPhase::PageBegun;
    }
    for (;;) {
        if (m_cancel)
            return Cancelled();
        const EStep step =
            Exchange(cmd::kReadyScanPage, BuildSessionCommandBody(cmd::kReadyScanPage, m_session));
        if (step == EStep::FeederEmpty) {
            // The server's answer to the sheet after the last one.
            m_phase = EPhase::Ready;
            EndJob();
            return EEngineStatus::NoDocs;
        }
        if (step != EStep::Done)
            return Fail(EEngineError::None);
        if (m_reply.ready == 0)
            break;
        WaitReady();
    }
    m_phase = EPhase::PageReady;
    m_pixelWidth = m_reply.pixelWidth;
    m_pixelHeight = m_reply.pixelHeight;
    if (m_cancel)
        return Cancelled();
    // The scanner may take long over the image; the server must know the
    // client is still there.
    StartHeartBeat();
    if (Exchange(cmd::kBeginGetImage, BuildSessionCommandBody(cmd::kBeginGetImage, m_session)) !=
        EStep::Done)
        return Fail(EEngineError::None);
    m_phase = EPhase::ImageOpen;
    if (!ComputePageGeometry(m_params.ColorMode, m_pixelWidth, m_pixelHeight, m_reply.rowBytes,
                             m_page))
        return Fail(EEngineError::BadPage);
    if (!OpenImage())
        return m_cancel ? Cancelled() : Fail(EEngineError::None);
    return EEngineStatus::Good;
}

bool CScanEngine::OpenImage() {
    m_received = 0;
    m_left = 0;
    const std::string body = BuildGetImageBody(m_session, 0, m_page.pageBytes);
    if (Exchange(cmd::kGetImage, body) != EStep::Done || !m_response)
        return false;
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
    if (m_cancel)
        return Cancelled();
    StartHeartBeat();
    if (m_left > 0) {
        const size_t want = std::min(size, static_cast<size_t>(m_left));
        const long n = m_response->Read(data, want);
        if (n < 0) {
            m_transportError = m_response->Error();
            return Fail(EEngineError::BrokenOff);
        }
        if (n == 0)
            return Fail(EEngineError::ShortData);
        got = static_cast<size_t>(n);
        m_left -= static_cast<uint32_t>(n);
        m_received += static_cast<uint32_t>(n);
        if (m_left > 0)
            return EEngineStatus::Good;
    }
    CloseImage();
    if (m_received != static_cast<uint32_t>(m_page.pageBytes)) {
        // The server announced less than the page holds.
        return Fail(EEngineError::ShortData);
    }
    m_phase = EPhase::PageReady;
    if (m_params.PaperPlace == 0) {
        EndJob();
    } else {
        // The next sheet is awaited with READY_SCANPAGE alone.
        m_phase = EPhase::PageBegun;
    }
    return EEngineStatus::Good;
}

void CScanEngine::EndJob() {
    CloseImage();
    // The cancel commands run to their answer even after a cancel.
    switch (m_phase) {
        case EPhase::Begun:
            if (Exchange(cmd::kCancelBeginJob,
                         BuildSessionCommandBody(cmd::kCancelBeginJob, m_session),
                         false) == EStep::Done) {
                m_phase = EPhase::Idle;
            }
            break;
        case EPhase::PageBegun:
            Exchange(cmd::kCancelScanPage, BuildSessionCommandBody(cmd::kCancelScanPage, m_session),
                     false);
            break;
        case EPhase::ImageOpen:
            Exchange(cmd::kCancelGetImage, BuildSessionCommandBody(cmd::kCancelGetImage, m_session),
                     false);
            break;
        default:
            break;
    }
    // Nothing of the job may reach the server after its end.
    if (m_heartbeat)
        m_heartbeat->StopAndWait();
    if (m_phase != EPhase::Idle)
        Exchange(cmd::kEndJob, BuildSessionCommandBody(cmd::kEndJob, m_session), false);
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
