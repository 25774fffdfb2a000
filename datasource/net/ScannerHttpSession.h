// The command session of a scan job: discovers the command path, sends
// the protocol's commands and reads their replies with the protocol's
// retry rules. Every command is a poll: call it again (pumping window
// messages in between) while it answers Pending.
#pragma once

#include <cstdint>
#include <string>

#include "HttpSessionThread.h"
#include "ReplyDecision.h"
#include "ServerReply.h"

// What the session needs of the job that owns it.
class CSessionOwner {
public:
    virtual ~CSessionOwner() = default;
    // The status line of the progress dialog for a server answer that is
    // being retried (empty: clear it).
    virtual void ShowServerStatus(const CServerReply *reply) = 0;
    virtual bool UserCancelled() const = 0;
};

class CScannerHttpSession : public CHttpSessionThread {
public:
    // Pause before a command is repeated (server busy, data not ready);
    // window messages are handled throughout it.
    static constexpr DWORD kRetryPauseMs = 500;
    // Bound of a text reply; a reply of this protocol is a few lines.
    static constexpr size_t kMaxReplyBytes = 64 * 1024;

    CScannerHttpSession(CSessionOwner &owner, std::string language);

    // One attempt cycle of a command (every command but GET_IMAGE and the
    // heartbeat). Done means answered and successful.
    EPoll Command(const char *command, const std::string &body);
    // GET_IMAGE: on Done the request stays open with AvailableBytes()
    // image bytes waiting to be read.
    EPoll GetImage(const std::string &body);

    const CServerReply &LastReply() const { return m_reply; }
    CServerReply &LastReply() { return m_reply; }
    const std::string &CommandPath() const { return m_commandPath; }
    int32_t AvailableBytes() const { return m_available; }
    void SetRetryPause(DWORD ms) { m_retryPause = ms; }

private:
    EPoll Discover();
    EPoll Exchange(const char *command, const std::string &body, bool image);
    EPoll Finish(const char *command, EReplyStep step, bool image);
    // Where and why a command failed, for the diagnostic log.
    void LogFailure(const char *command, const char *why) const;
    bool ReadTextReply(const char *command);
    bool ReadImageHeader();

    CSessionOwner &m_owner;
    std::string m_headers;
    std::string m_commandPath;
    CServerReply m_reply;
    bool m_attemptOpen = false;
    bool m_discovering = false;
    // Between a reply and its step: the retry pause, polled.
    bool m_pausing = false;
    DWORD m_pauseStart = 0;
    int32_t m_available = 0;
    DWORD m_retryPause = kRetryPauseMs;
};
