// The command session against the scan server simulator, through WinINet:
// what the server sees byte for byte, and the retry, failure and streaming
// rules of every exchange.
#include "CommandBody.h"
#include "HeartBeatHttpSession.h"
#include "ScannerHttpSession.h"
#include "SimulatorClient.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CRecordingOwner : public CSessionOwner {
public:
    void ShowServerStatus(const CServerReply *reply) override {
        statuses.push_back(reply ? reply->result : 0);
    }
    bool UserCancelled() const override { return cancelled; }
    std::vector<int32_t> statuses;
    bool cancelled = false;
};

const char kAgent[] = "VELT-TWAIN(Ver3.0)";

CHttpConnectParams Params() {
    CHttpConnectParams p;
    p.agent = kAgent;
    p.server = "127.0.0.1";
    p.port = CSimulatorClient::Port();
    return p;
}

// Polls until the exchange has an answer, as the job does between its
// window messages.
template <typename F>
EPoll Finish(CHttpSessionThread &s, F poll) {
    for (int i = 0; i < 200000; ++i) {
        EPoll r = poll();
        if (r != EPoll::Pending)
            return r;
        WaitForSingleObject(s.DoneEvent(), 50);
    }
    return EPoll::Pending;
}

CScanRequestParams A4Colour300() {
    CScanRequestParams f;
    f.ColorMode = 0;
    f.Resolution = 2;  // 300 dpi
    f.InputMediumSize = 5;
    f.Isotropic = 100;
    return f;
}

class ScannerSession : public ::testing::Test {
protected:
    void SetUpScenario(const std::vector<std::string> &args) {
        ASSERT_NE(CSimulatorClient::Port(), 0) << "simulator not running";
        ASSERT_TRUE(CSimulatorClient::SetScenario(args));
        session.SetRetryPause(20);
        ASSERT_TRUE(session.Connect(Params()));
    }
    EPoll Run(const char *command, const std::string &body) {
        return Finish(session, [&] { return session.Command(command, body); });
    }
    std::string Body(const char *command) { return BuildSessionCommandBody(command, sessionId); }
    static std::string BeginBody() {
        return BuildBeginJobBody(A4Colour300(), "WinNT(5.1.2600)", "user", "",
                                 CLeadByteTable::CodePage932());
    }
    void BeginJob() {
        ASSERT_EQ(Run(cmd::kBeginJob, BeginBody()), EPoll::Done);
        sessionId = session.LastReply().session;
        ASSERT_GT(sessionId, 0);
    }
    // BEGIN_JOB through BEGIN_GET_IMAGE of one page.
    void OpenImage() {
        BeginJob();
        ASSERT_EQ(Run(cmd::kReadyBeginJob, Body(cmd::kReadyBeginJob)), EPoll::Done);
        ASSERT_EQ(Run(cmd::kBeginScanPage, Body(cmd::kBeginScanPage)), EPoll::Done);
        ASSERT_EQ(Run(cmd::kReadyScanPage, Body(cmd::kReadyScanPage)), EPoll::Done);
        ASSERT_EQ(Run(cmd::kBeginGetImage, Body(cmd::kBeginGetImage)), EPoll::Done);
    }

    CRecordingOwner owner;
    CScannerHttpSession session{owner, "Japanese"};
    int32_t sessionId = 0;
};

TEST_F(ScannerSession, DiscoversThePathAndSendsExactBytes) {
    SetUpScenario({"--cgi-path", "/cgi/"});
    std::string body = BuildBeginJobBody(A4Colour300(), "WinNTService Pack 2(5.1.2600)", "a&b c",
                                         "\x83\x41pw", CLeadByteTable::CodePage932());
    ASSERT_EQ(Run(cmd::kBeginJob, body), EPoll::Done);
    EXPECT_EQ(session.CommandPath(), "/cgi/scanner.dll");
    EXPECT_GT(session.LastReply().session, 0);

    auto reqs = CSimulatorClient::Requests();
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_EQ(reqs[0].method, "GET");
    EXPECT_EQ(reqs[0].path, "/CV_WebPath.txt");
    EXPECT_EQ(reqs[1].method, "POST");
    EXPECT_EQ(reqs[1].path, "/cgi/scanner.dll");
    EXPECT_EQ(reqs[1].body, body);
    EXPECT_NE(body.find("X_USERNAME=a%26b c&X_PASSWORD=%83%41pw&"), std::string::npos);
    const std::string &head = reqs[1].headRaw;
    EXPECT_NE(head.find("Content-Type: application/x-www-form-urlencoded\r\n"), std::string::npos)
        << head;
    EXPECT_NE(head.find("Pragma: no-chace\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("X-VELT-Language: Japanese\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find(std::string("User-Agent: ") + kAgent + "\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("Content-Length: " + std::to_string(body.size()) + "\r\n"),
              std::string::npos);
}

TEST_F(ScannerSession, MissingCgiPathFailsAndIsRetriedNextTime) {
    SetUpScenario({"--no-cgi-path"});
    EXPECT_EQ(Run(cmd::kEndJob, Body(cmd::kEndJob)), EPoll::Failed);
    EXPECT_EQ(session.CommandPath(), "");
    EXPECT_EQ(Run(cmd::kEndJob, Body(cmd::kEndJob)), EPoll::Failed);
    auto reqs = CSimulatorClient::Requests();
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_EQ(reqs[1].path, "/CV_WebPath.txt");
}

TEST_F(ScannerSession, RecoverableResultIsRepeatedUntilItClears) {
    SetUpScenario({"--result", "READY_BEGIN_JOB=16401:recover=1:times=3"});
    BeginJob();
    EXPECT_EQ(Run(cmd::kReadyBeginJob, Body(cmd::kReadyBeginJob)), EPoll::Done);
    EXPECT_EQ(owner.statuses, (std::vector<int32_t>{16401, 16401, 16401}));
    int ready = 0;
    for (const auto &r : CSimulatorClient::Requests())
        ready += r.command == cmd::kReadyBeginJob;
    EXPECT_EQ(ready, 4);
}

TEST_F(ScannerSession, CancelDuringRetryEndsWithTheRecoverableAnswerAsSuccess) {
    SetUpScenario({"--result", "READY_BEGIN_JOB=16401:recover=1:times=0"});
    BeginJob();
    owner.cancelled = true;
    EXPECT_EQ(Run(cmd::kReadyBeginJob, Body(cmd::kReadyBeginJob)), EPoll::Done);
    EXPECT_EQ(session.LastReply().result, 16401);
    EXPECT_EQ(owner.statuses.size(), 1u);
}

TEST_F(ScannerSession, FailuresOfEveryKind) {
    struct Case {
        std::vector<std::string> scenario;
        DWORD status;
        bool transport;
        int32_t result;
    } cases[] = {
        {{"--result", "BEGIN_JOB=16403"}, 200, false, 16403},
        {{"--http-status", "BEGIN_JOB=500"}, 500, false, 0},
        {{"--drop-at", "BEGIN_JOB"}, 0, true, 0},
    };
    for (const Case &c : cases) {
        SetUpScenario(c.scenario);
        EXPECT_EQ(Run(cmd::kBeginJob, BeginBody()), EPoll::Failed) << c.scenario[1];
        EXPECT_EQ(session.LastStatus(), c.status) << c.scenario[1];
        EXPECT_EQ(session.TransportError() != 0, c.transport) << c.scenario[1];
        EXPECT_EQ(session.LastReply().result, c.result) << c.scenario[1];
        EXPECT_FALSE(session.IsBusy());
    }
}

TEST_F(ScannerSession, DroppedPathFileIsATransportError) {
    SetUpScenario({"--drop-at", "CV_WebPath.txt:times=0"});
    EXPECT_EQ(Run(cmd::kEndJob, Body(cmd::kEndJob)), EPoll::Failed);
    EXPECT_NE(session.TransportError(), 0u);
    EXPECT_EQ(session.CommandPath(), "");
}

TEST_F(ScannerSession, FeederEmptyFailsWithoutStatusOrRetry) {
    SetUpScenario({"--result", "READY_SCANPAGE=16409:recover=1"});
    BeginJob();
    ASSERT_EQ(Run(cmd::kReadyBeginJob, Body(cmd::kReadyBeginJob)), EPoll::Done);
    ASSERT_EQ(Run(cmd::kBeginScanPage, Body(cmd::kBeginScanPage)), EPoll::Done);
    EXPECT_EQ(Run(cmd::kReadyScanPage, Body(cmd::kReadyScanPage)), EPoll::Failed);
    EXPECT_EQ(session.LastReply().result, 16409);
    EXPECT_TRUE(owner.statuses.empty());
}

TEST_F(ScannerSession, StreamsAWholePageByteForByte) {
    SetUpScenario({"--data-byte-zero", "2"});
    OpenImage();
    const int32_t w = session.LastReply().pixelWidth;
    const int32_t rowBytes = session.LastReply().rowBytes;
    ASSERT_GT(rowBytes, 0);
    std::string body = BuildGetImageBody(sessionId, 0, rowBytes);
    ASSERT_EQ(Finish(session, [&] { return session.GetImage(body); }), EPoll::Done);
    ASSERT_EQ(session.AvailableBytes(), rowBytes);
    (void)w;

    std::string got;
    std::vector<char> buf(65536);
    // Sizes that change between calls, as transfers near a page end ask.
    const DWORD sizes[] = {65536, 1000, 4096, 1, 65536};
    for (int i = 0;; ++i) {
        DWORD n = 0;
        DWORD size = sizes[i % 5];
        EPoll r = Finish(session, [&] { return session.ReadChunk(buf.data(), size, n); });
        ASSERT_EQ(r, EPoll::Done);
        if (n == 0)
            break;
        got.append(buf.data(), n);
        ASSERT_LE(got.size(), static_cast<size_t>(rowBytes));
    }
    session.CloseRequest();
    EXPECT_EQ(got.size(), static_cast<size_t>(rowBytes));
    EXPECT_TRUE(got == CSimulatorClient::Page(sessionId, 1)) << "page bytes differ";
    int gets = 0;
    for (const auto &r : CSimulatorClient::Requests())
        gets += r.command == cmd::kGetImage;
    EXPECT_EQ(gets, 3);  // two "not yet" answers, then the data
}

TEST_F(ScannerSession, GetImageAnswersAreFinalAndClearTheStatusLine) {
    struct Case {
        std::vector<std::string> scenario;
        EPoll outcome;
        std::vector<int32_t> statuses;
    } cases[] = {
        // A count without the data key is an answer with nothing to read,
        // not a "not yet" to be asked again and again.
        {{"--omit-key", "GET_IMAGE=Y_IMAGE_DATA"}, EPoll::Done, {0}},
        // A refusal is shown while it is waited out, then cleared.
        {{"--result", "GET_IMAGE=16411"}, EPoll::Failed, {16411, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scenario[1]);
        SetUpScenario(c.scenario);
        OpenImage();
        owner.statuses.clear();
        const std::string body = BuildGetImageBody(sessionId, 0, session.LastReply().rowBytes);
        EXPECT_EQ(Finish(session, [&] { return session.GetImage(body); }), c.outcome);
        EXPECT_EQ(session.AvailableBytes(), 0);
        EXPECT_EQ(owner.statuses, c.statuses);
        session.CloseRequest();
        int gets = 0;
        for (const auto &r : CSimulatorClient::Requests())
            gets += r.command == cmd::kGetImage;
        EXPECT_EQ(gets, 1);
    }
}

TEST_F(ScannerSession, ShortImageDataEndsTheStreamEarly) {
    SetUpScenario({"--short-data", "1000"});
    OpenImage();
    const int32_t rowBytes = session.LastReply().rowBytes;
    std::string body = BuildGetImageBody(sessionId, 0, rowBytes);
    ASSERT_EQ(Finish(session, [&] { return session.GetImage(body); }), EPoll::Done);
    size_t total = 0;
    std::vector<char> buf(65536);
    for (;;) {
        DWORD n = 0;
        EPoll r = Finish(session, [&] { return session.ReadChunk(buf.data(), 65536, n); });
        if (r != EPoll::Done || n == 0)
            break;
        total += n;
    }
    session.CloseRequest();
    EXPECT_EQ(total, static_cast<size_t>(rowBytes) - 1000);
}

std::vector<CRecordedRequest> HeartBeats() {
    std::vector<CRecordedRequest> beats;
    for (const auto &r : CSimulatorClient::Requests())
        if (r.command == cmd::kHeartBeatJob)
            beats.push_back(r);
    return beats;
}

TEST(HeartBeat, PostsAtOnceThenEveryIntervalAndStops) {
    ASSERT_TRUE(CSimulatorClient::SetScenario({}));
    CHeartBeatHttpSession beat(Params(), "Japanese");
    beat.SetInterval(400);
    EXPECT_TRUE(beat.Start(77));
    EXPECT_FALSE(beat.Start(78));
    Sleep(1000);
    beat.Stop();
    EXPECT_FALSE(beat.IsRunning());
    // At 0, 400 and 800 ms; a loaded machine may not have sent the last.
    auto beats = HeartBeats();
    EXPECT_GE(beats.size(), 2u);
    EXPECT_LE(beats.size(), 3u);
    // Nothing goes out once stopped.
    Sleep(900);
    EXPECT_EQ(HeartBeats().size(), beats.size());
    for (const auto &r : beats) {
        EXPECT_EQ(r.version, "HTTP/1.0");
        EXPECT_EQ(r.body, "X_PROTOCOL=120&X_COMMAND=HEART_BEAT_JOB&X_SESSION=77");
        EXPECT_NE(r.headRaw.find("Pragma: no-chace\r\n"), std::string::npos);
    }
}

}  // namespace
