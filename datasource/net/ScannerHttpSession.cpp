#include "ScannerHttpSession.h"

#include "CommandBody.h"

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
                return EPoll::Failed;
            }
        }
        DWORD status = 0;
        EPoll r = Request("POST", m_commandPath, body, m_headers, status);
        if (r == EPoll::Pending)
            return r;
        if (r == EPoll::Failed) {
            m_attemptOpen = false;
            return r;
        }
        const bool read = image ? ReadImageHeader() : ReadTextReply(command);
        m_attemptOpen = false;
        if (!read) {
            CloseRequest();
            return EPoll::Failed;
        }
        const bool feederEmpty =
            std::string_view(command) == cmd::kReadyScanPage && m_reply.result == 16409;
        if (m_reply.result != 0 && !feederEmpty) {
            m_owner.ShowServerStatus(&m_reply);
            Sleep(m_retryPause);
            if (m_reply.recover != 0 && !m_owner.UserCancelled()) {
                CloseRequest();
                continue;
            }
        } else if (image && m_reply.result == 0 && m_reply.dataByte == 0 && status == 200) {
            // Data not ready yet: ask again, unless the user gave up. A
            // count without the data key is an answer: the page then reads
            // as short and is reported as such, rather than asked for forever.
            Sleep(m_retryPause);
            if (!m_owner.UserCancelled()) {
                CloseRequest();
                continue;
            }
        }
        // GET_IMAGE keeps its request for the data (the job closes it) and
        // always clears the status line; other commands are done with theirs.
        if (image)
            m_owner.ShowServerStatus(nullptr);
        else
            CloseRequest();
        if (feederEmpty)
            return EPoll::Failed;
        const bool ok = status == 200 && (m_reply.result == 0 || m_reply.recover != 0);
        return ok ? EPoll::Done : EPoll::Failed;
    }
}
