#include "ReplyDecision.h"

#include <string_view>

#include "CommandBody.h"
#include "ServerMessages.h"

CReplyDecision DecideAfterReply(const char *command, const CServerReply &reply, uint32_t httpStatus,
                                bool userCancelled) {
    const std::string_view name(command ? command : "");
    // The end of the feeder's stack is neither shown nor waited for.
    if (name == cmd::kReadyScanPage && reply.result == msgid::kFeederEmpty)
        return {EReplyStep::FeederEmpty, false, false};
    const bool answered = httpStatus == 200 && (reply.result == 0 || reply.recover != 0);
    const EReplyStep final = answered ? EReplyStep::Done : EReplyStep::Failed;
    if (reply.result != 0) {
        // A temporary condition is asked again after the pause, unless the
        // user gave up meanwhile.
        const bool again = reply.recover != 0 && !userCancelled;
        return {again ? EReplyStep::Retry : final, true, true};
    }
    if (name == cmd::kGetImage && reply.dataByte == 0 && httpStatus == 200) {
        // The image is not ready yet.
        return {userCancelled ? final : EReplyStep::Retry, false, true};
    }
    return {final, false, false};
}
