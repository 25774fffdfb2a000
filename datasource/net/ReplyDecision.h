// What the client does after one reply of a command: ask again, or finish
// with success, failure or the feeder's end. Kept free of the transport so
// the protocol's retry rules are tested, and fuzzed, without a server.
#pragma once

#include <cstdint>

#include "ServerReply.h"

enum class EReplyStep { Retry, Done, Failed, FeederEmpty };

struct CReplyDecision {
    EReplyStep step = EReplyStep::Failed;
    // The reply's result goes to the progress dialog's status line.
    bool showStatus = false;
    // The retry pause comes before the step. The step is decided again
    // when the pause is over, with the user's cancel as it stands then.
    bool pause = false;
};

// command: the X_COMMAND sent; httpStatus: the answer's HTTP status;
// userCancelled: the user has pressed Cancel.
CReplyDecision DecideAfterReply(const char *command, const CServerReply &reply, uint32_t httpStatus,
                                bool userCancelled);
