#include "ScannerHttpSession.h"

#include "CommandBody.h"
#include "DiagLog.h"

CScannerHttpSession::CScannerHttpSession(CSessionOwner &owner, std::string language)
    : m_owner(owner), m_headers(BuildCommandHeaders(language)) {}

EPoll CScannerHttpSession::Discover() {
    DWORD status = 0;
    EPoll r = Request("GET", kWebPathObject, std::string(), std::string(), status);
    if (r != EPoll::Done)
        return r;
    if (status != 200) {
        CloseRequest();
        return EPoll::Failed;
    }
    std::string line;
    const bool read = ReadLine(line, 4096);
    CloseRequest();
    if (!read)
        return EPoll::Failed;
    m_commandPath = CommandPathFromWebPath(line);
    return EPoll::Done;
}

bool CScannerHttpSession::ReadTextReply(const char *command) {
    std::string text;
    char buf[4096];
    for (;;) {
        int n = ReadSome(buf, sizeof buf);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        text.append(buf, static_cast<size_t>(n));
        if (text.size() > kMaxReplyBytes)
            break;  // the rest is not a reply of this protocol
    }
    ParseReplyText(text, m_reply, command);
    return true;
}

bool CScannerHttpSession::ReadImageHeader() {
    m_available = 0;
    CImageReplyReader reader(m_reply);
    char c;
    // Byte by byte: the image data follow in the same response and must
    // stay unread for the streaming reader.
    while (reader.GetState() == CImageReplyReader::State::Keys) {
        int n = ReadSome(&c, 1);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        reader.Feed(&c, 1);
    }
    if (reader.AtImageData())
        m_available = m_reply.dataByte;
    return reader.GetState() != CImageReplyReader::State::Malformed;
}

EPoll CScannerHttpSession::Command(const char *command, const std::string &body) {
    return Exchange(command, body, false);
}

EPoll CScannerHttpSession::GetImage(const std::string &body) {
    return Exchange(cmd::kGetImage, body, true);
}

EPoll CScannerHttpSession::Exchange(const char *command, const std::string &body, bool image) {
    for (;;) {
        if (m_pausing) {
            // The pause before a step is polled like a request, so window
            // messages (Cancel among them) are handled throughout it; a
            // cancel ends it at once.
            if (!m_owner.UserCancelled() && GetTickCount() - m_pauseStart < m_retryPause)
                return EPoll::Pending;
            m_pausing = false;
            const CReplyDecision d =
                DecideAfterReply(command, m_reply, LastStatus(), m_owner.UserCancelled());
            if (d.step == EReplyStep::Retry) {
                CloseRequest();
                continue;
            }
            return Finish(command, d.step, image);
        }
        if (!m_attemptOpen) {
            m_reply.ClearForAttempt();
            m_available = 0;
            m_attemptOpen = true;
        }
        if (m_commandPath.empty()) {
            EPoll d = Discover();
            if (d == EPoll::Pending)
                return d;
            if (d == EPoll::Failed || m_commandPath.empty()) {
                m_attemptOpen = false;
                LogFailure(command, "the command path could not be read");
                return EPoll::Failed;
            }
        }
        DWORD status = 0;
        EPoll r = Request("POST", m_commandPath, body, m_headers, status);
        if (r == EPoll::Pending)
            return r;
        if (r == EPoll::Failed) {
            m_attemptOpen = false;
            LogFailure(command, "the request failed");
            return r;
        }
        const bool read = image ? ReadImageHeader() : ReadTextReply(command);
        m_attemptOpen = false;
        if (!read) {
            LogFailure(command, "the reply broke off");
            CloseRequest();
            return EPoll::Failed;
        }
        const CReplyDecision d =
            DecideAfterReply(command, m_reply, status, m_owner.UserCancelled());
        if (d.showStatus)
            m_owner.ShowServerStatus(&m_reply);
        if (!d.pause)
            return Finish(command, d.step, image);
        m_pausing = true;
        m_pauseStart = GetTickCount();
        // Nothing is running now: a caller waiting on the done event waits
        // for its window messages instead of spinning through the pause.
        ResetEvent(DoneEvent());
    }
}

void CScannerHttpSession::LogFailure(const char *command, const char *why) const {
    // The request body is never logged: BEGIN_JOB carries the password.
    WriteLog(
        "CScannerHttpSession::Exchange(), %s: %s (HTTP %lu, error %lu, Y_RESULT %d, "
        "Y_STATUS %d)",
        command, why, static_cast<unsigned long>(LastStatus()),
        static_cast<unsigned long>(TransportError()), m_reply.result, m_reply.status);
}

EPoll CScannerHttpSession::Finish(const char *command, EReplyStep step, bool image) {
    if (step != EReplyStep::Done)
        LogFailure(command, m_owner.UserCancelled() ? "cancelled by the user" : "refused");
    // GET_IMAGE keeps its request for the data (the job closes it) and
    // always clears the status line; other commands are done with theirs.
    if (image)
        m_owner.ShowServerStatus(nullptr);
    else
        CloseRequest();
    return step == EReplyStep::Done ? EPoll::Done : EPoll::Failed;
}
