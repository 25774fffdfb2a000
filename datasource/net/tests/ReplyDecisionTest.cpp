// The retry rules of one command exchange: what follows a reply.
#include "ReplyDecision.h"

#include <gtest/gtest.h>

#include "CommandBody.h"

namespace {

TEST(ReplyDecision, EachReplyLeadsToItsStep) {
    using S = EReplyStep;
    struct Case {
        const char *name;
        const char *command;
        int32_t result, recover, dataByte;
        uint32_t status;
        bool cancelled;
        S step;
        bool showStatus, pause;
    } const cases[] = {
        {"plain success", cmd::kBeginJob, 0, 0, 0, 200, false, S::Done, false, false},
        {"HTTP error", cmd::kBeginJob, 0, 0, 0, 500, false, S::Failed, false, false},
        {"server error", cmd::kBeginJob, 16403, 0, 0, 200, false, S::Failed, true, true},
        {"temporary: again", cmd::kReadyBeginJob, 16401, 1, 0, 200, false, S::Retry, true, true},
        {"temporary, cancelled: an answer", cmd::kReadyBeginJob, 16401, 1, 0, 200, true, S::Done,
         true, true},
        {"temporary with HTTP error", cmd::kReadyBeginJob, 16401, 1, 0, 500, true, S::Failed, true,
         true},
        {"feeder empty", cmd::kReadyScanPage, 16409, 1, 0, 200, false, S::FeederEmpty, false,
         false},
        {"16409 elsewhere is an error", cmd::kReadyBeginJob, 16409, 0, 0, 200, false, S::Failed,
         true, true},
        {"image not ready", cmd::kGetImage, 0, 0, 0, 200, false, S::Retry, false, true},
        {"image not ready, cancelled", cmd::kGetImage, 0, 0, 0, 200, true, S::Done, false, true},
        {"image data", cmd::kGetImage, 0, 0, 4096, 200, false, S::Done, false, false},
        {"image refused", cmd::kGetImage, 16411, 0, 0, 200, false, S::Failed, true, true},
        {"no image on HTTP error", cmd::kGetImage, 0, 0, 0, 404, false, S::Failed, false, false},
        {"zero bytes elsewhere", cmd::kEndJob, 0, 0, 0, 200, false, S::Done, false, false},
    };
    for (const Case &c : cases) {
        CServerReply reply;
        reply.result = c.result;
        reply.recover = c.recover;
        reply.dataByte = c.dataByte;
        const CReplyDecision d = DecideAfterReply(c.command, reply, c.status, c.cancelled);
        EXPECT_EQ(d.step, c.step) << c.name;
        EXPECT_EQ(d.showStatus, c.showStatus) << c.name;
        EXPECT_EQ(d.pause, c.pause) << c.name;
    }
}

}  // namespace
