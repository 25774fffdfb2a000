// The scan engine's commands against the scan server simulator, through
// the data source's WinINet session: what the server sees byte for byte,
// and the retry, failure and streaming rules of every exchange.
#include "ClientSystemText.h"
#include "CommandBody.h"
#include "HeartBeatHttpSession.h"
#include "ScanEngine.h"
#include "SessionTransport.h"
#include "SimulatorClient.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class CRecordingHost : public IEngineHost {
public:
    void ShowServerStatus(const CServerReply *reply) override {
        statuses.push_back(reply ? reply->result : 0);
    }
    void ReadyAnswer(int32_t) override {}
    bool UserCancelled() const override { return cancelled; }
    void Pause(int milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }
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

CScanRequestParams A4Colour300() {
    CScanRequestParams f;
    f.ColorMode = 0;
    f.Resolution = 2;  // 300 dpi
    f.InputMediumSize = 5;
    f.Isotropic = 100;
    return f;
}

int Sent(const char *command) {
    int n = 0;
    for (const auto &r : CSimulatorClient::Requests())
        n += r.command == command;
    return n;
}

class ScannerSession : public ::testing::Test {
protected:
    void SetUpScenario(const std::vector<std::string> &args, const std::string &user = "user") {
        engine.reset();
        ASSERT_NE(CSimulatorClient::Port(), 0) << "simulator not running";
        ASSERT_TRUE(CSimulatorClient::SetScenario(args));
        ASSERT_TRUE(transport.Connect(Params()));
        engine = std::make_unique<CScanEngine>(transport, A4Colour300(), user, host);
        engine->SetRetryPause(20);
    }
    void BeginJob() {
        ASSERT_EQ(engine->BeginJob(), EEngineStep::Done);
        ASSERT_GT(engine->Session(), 0);
    }
    // BEGIN_JOB through BEGIN_GET_IMAGE of one page.
    void OpenImage() {
        BeginJob();
        ASSERT_EQ(engine->ReadyBeginJob(), EEngineStep::Done);
        ASSERT_EQ(engine->BeginScanPage(), EEngineStep::Done);
        ASSERT_EQ(engine->ReadyScanPage(), EEngineStep::Done);
        ASSERT_EQ(engine->BeginGetImage(), EEngineStep::Done);
    }
    // GET_IMAGE for a page of one row of the answer's row size.
    EEngineStep GetImage() {
        CPageGeometry page;
        page.bytesPerRow = page.pageBytes = engine->RowBytes();
        return engine->GetImage(page);
    }
    // The image's bytes as the job reads them, in the sizes given in turn.
    std::string ReadImage(const std::vector<DWORD> &sizes) {
        std::string got;
        std::vector<char> buf(65536);
        CHttpSessionThread &s = transport.Session();
        for (size_t i = 0;; ++i) {
            DWORD n = 0;
            const DWORD size = sizes[i % sizes.size()];
            EPoll r;
            while ((r = s.ReadChunk(buf.data(), size, n)) == EPoll::Pending)
                WaitForSingleObject(s.DoneEvent(), 50);
            if (r != EPoll::Done || n == 0)
                break;
            got.append(buf.data(), n);
        }
        engine->CloseImage();
        return got;
    }

    CRecordingHost host;
    CSessionTransport transport{[](HANDLE done) { WaitForSingleObject(done, 50); }};
    std::unique_ptr<CScanEngine> engine;
};

TEST_F(ScannerSession, DiscoversThePathAndSendsExactBytes) {
    SetUpScenario({"--cgi-path", "/cgi/"}, "a&b c");
    engine->SetPassword("\x83\x41pw");
    ASSERT_EQ(engine->BeginJob(), EEngineStep::Done);
    EXPECT_GT(engine->Session(), 0);

    auto reqs = CSimulatorClient::Requests();
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_EQ(reqs[0].method, "GET");
    EXPECT_EQ(reqs[0].path, "/CV_WebPath.txt");
    EXPECT_EQ(reqs[1].method, "POST");
    EXPECT_EQ(reqs[1].path, "/cgi/scanner.dll");
    const std::string body =
        BuildBeginJobBody(A4Colour300(), FormatClientSystemText(QueryOsVersion()), "a&b c",
                          "\x83\x41pw", CLeadByteTable::SystemCodePage());
    EXPECT_EQ(reqs[1].body, body);
    EXPECT_NE(body.find("X_USERNAME=a%26b c&X_PASSWORD=%83"), std::string::npos);
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
    EXPECT_EQ(engine->EndJob(false), EEngineStep::Failed);
    EXPECT_EQ(engine->Error(), EEngineError::NoCommandPath);
    EXPECT_EQ(engine->EndJob(false), EEngineStep::Failed);
    auto reqs = CSimulatorClient::Requests();
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_EQ(reqs[1].path, "/CV_WebPath.txt");
}

TEST_F(ScannerSession, RecoverableResultIsRepeatedUntilItClears) {
    SetUpScenario({"--result", "READY_BEGIN_JOB=16401:recover=1:times=3"});
    BeginJob();
    EXPECT_EQ(engine->ReadyBeginJob(), EEngineStep::Done);
    // Shown while repeated, cleared by the answer.
    EXPECT_EQ(host.statuses, (std::vector<int32_t>{16401, 16401, 16401, 0}));
    EXPECT_EQ(Sent(cmd::kReadyBeginJob), 4);
}

TEST_F(ScannerSession, CancelDuringRetryEndsWithTheRecoverableAnswer) {
    SetUpScenario({"--result", "READY_BEGIN_JOB=16401:recover=1:times=0"});
    BeginJob();
    host.cancelled = true;
    EXPECT_EQ(engine->ReadyBeginJob(), EEngineStep::Cancelled);
    EXPECT_EQ(engine->LastReply().result, 16401);
    EXPECT_EQ(host.statuses.size(), 1u);
    EXPECT_EQ(Sent(cmd::kReadyBeginJob), 1);
}

TEST_F(ScannerSession, FailuresOfEveryKind) {
    struct Case {
        std::vector<std::string> scenario;
        long status;
        bool transport;
        int32_t result;
    } cases[] = {
        {{"--result", "BEGIN_JOB=16403"}, 200, false, 16403},
        {{"--http-status", "BEGIN_JOB=500"}, 500, false, 0},
        {{"--drop-at", "BEGIN_JOB"}, 0, true, 0},
    };
    for (const Case &c : cases) {
        SetUpScenario(c.scenario);
        EXPECT_EQ(engine->BeginJob(), EEngineStep::Failed) << c.scenario[1];
        EXPECT_EQ(engine->LastHttpStatus(), c.status) << c.scenario[1];
        EXPECT_EQ(transport.ErrorCode() != 0, c.transport) << c.scenario[1];
        EXPECT_EQ(engine->LastReply().result, c.result) << c.scenario[1];
        EXPECT_FALSE(transport.Session().IsBusy());
    }
}

TEST_F(ScannerSession, DroppedPathFileIsATransportError) {
    SetUpScenario({"--drop-at", "CV_WebPath.txt:times=0"});
    EXPECT_EQ(engine->EndJob(false), EEngineStep::Failed);
    EXPECT_NE(transport.ErrorCode(), 0u);
    EXPECT_EQ(engine->Error(), EEngineError::Transport);
}

TEST_F(ScannerSession, FeederEmptyFailsWithoutStatusOrRetry) {
    SetUpScenario({"--result", "READY_SCANPAGE=16409:recover=1"});
    BeginJob();
    ASSERT_EQ(engine->ReadyBeginJob(), EEngineStep::Done);
    ASSERT_EQ(engine->BeginScanPage(), EEngineStep::Done);
    host.statuses.clear();
    EXPECT_EQ(engine->ReadyScanPage(), EEngineStep::FeederEmpty);
    EXPECT_EQ(engine->LastReply().result, 16409);
    EXPECT_TRUE(host.statuses.empty());
    EXPECT_EQ(Sent(cmd::kReadyScanPage), 1);
}

TEST_F(ScannerSession, StreamsAWholePageByteForByte) {
    SetUpScenario({"--data-byte-zero", "2"});
    OpenImage();
    const int32_t rowBytes = engine->RowBytes();
    ASSERT_GT(rowBytes, 0);
    ASSERT_EQ(GetImage(), EEngineStep::Done);
    ASSERT_EQ(engine->ImageBytesLeft(), static_cast<uint32_t>(rowBytes));
    // Sizes that change between calls, as transfers near a page end ask.
    const std::string got = ReadImage({65536, 1000, 4096, 1, 65536});
    EXPECT_EQ(got.size(), static_cast<size_t>(rowBytes));
    EXPECT_TRUE(got == CSimulatorClient::Page(engine->Session(), 1)) << "page bytes differ";
    EXPECT_EQ(Sent(cmd::kGetImage), 3);  // two "not yet" answers, then the data
}

TEST_F(ScannerSession, GetImageAnswersAreFinalAndClearTheStatusLine) {
    struct Case {
        std::vector<std::string> scenario;
        EEngineStep outcome;
        std::vector<int32_t> statuses;
    } cases[] = {
        // A count without the data key is an answer with nothing to read,
        // not a "not yet" to be asked again and again.
        {{"--omit-key", "GET_IMAGE=Y_IMAGE_DATA"}, EEngineStep::Done, {0}},
        // A refusal is shown while it is waited out, then cleared.
        {{"--result", "GET_IMAGE=16411"}, EEngineStep::Failed, {16411, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scenario[1]);
        SetUpScenario(c.scenario);
        OpenImage();
        host.statuses.clear();
        EXPECT_EQ(GetImage(), c.outcome);
        EXPECT_EQ(engine->ImageBytesLeft(), 0u);
        EXPECT_EQ(host.statuses, c.statuses);
        engine->CloseImage();
        EXPECT_EQ(Sent(cmd::kGetImage), 1);
    }
}

TEST_F(ScannerSession, ShortImageDataEndsTheStreamEarly) {
    SetUpScenario({"--short-data", "1000"});
    OpenImage();
    const int32_t rowBytes = engine->RowBytes();
    ASSERT_EQ(GetImage(), EEngineStep::Done);
    EXPECT_EQ(ReadImage({65536}).size(), static_cast<size_t>(rowBytes) - 1000);
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
