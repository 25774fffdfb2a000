// The engine's polling policy and heartbeat against a scripted server: what
// goes out, in which order, and how long the engine pauses between polls.
#include "CommandBody.h"
#include "ScanEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace {

// What both connections sent, in the order the server got it.
struct CWire {
    std::mutex lock;
    std::vector<std::string> log;
    void Note(const std::string &what) {
        std::lock_guard<std::mutex> g(lock);
        log.push_back(what);
    }
};

class CCannedResponse : public IHttpResponse {
public:
    explicit CCannedResponse(std::string text, long status = 200)
        : m_text(std::move(text)), m_status(status) {}
    long Status() const override { return m_status; }
    long Read(char *data, size_t size) override {
        const size_t n = std::min(size, m_text.size() - m_at);
        std::memcpy(data, m_text.data() + m_at, n);
        m_at += n;
        return static_cast<long>(n);
    }
    const std::string &Error() const override { return m_error; }

private:
    std::string m_text;
    long m_status;
    size_t m_at = 0;
    std::string m_error;
};

std::string CommandOf(const std::string &body) {
    const size_t at = body.find("X_COMMAND=") + 10;
    return body.substr(at, body.find('&', at) - at);
}

// Answers each command with the next of its scripted replies (the last one
// once the script runs out).
class CScriptedServer : public ITransport {
public:
    CScriptedServer(CWire &wire, std::string prefix,
                    std::map<std::string, std::deque<std::string>> script)
        : m_wire(wire), m_prefix(std::move(prefix)), m_script(std::move(script)) {}
    std::unique_ptr<IHttpResponse> Send(const std::string &path, const std::string *body,
                                        const std::vector<std::string> &headers,
                                        std::string &) override {
        if (!body) {
            m_wire.Note(m_prefix + "GET " + path + (headers.empty() ? "" : " +headers"));
            return std::make_unique<CCannedResponse>("CGI_PATH=/cgi/\r\n");
        }
        const std::string command = CommandOf(*body);
        m_wire.Note(m_prefix + command + (path == "/cgi/scanner.dll" ? "" : " at " + path));
        std::deque<std::string> &replies = m_script[command];
        std::string reply = replies.empty() ? "Y_RESULT=0\n" : replies.front();
        if (replies.size() > 1)
            replies.pop_front();
        // "HTTP n" in place of a reply: an answer with that status.
        if (reply.rfind("HTTP ", 0) == 0)
            return std::make_unique<CCannedResponse>(std::string(), std::stol(reply.substr(5)));
        return std::make_unique<CCannedResponse>(reply);
    }

private:
    CWire &m_wire;
    std::string m_prefix;
    std::map<std::string, std::deque<std::string>> m_script;
};

// A grey page of 4 x 2 pixels: rows of 4 bytes.
std::map<std::string, std::deque<std::string>> PlatenPage(int jobWaits, int pageWaits) {
    std::map<std::string, std::deque<std::string>> s;
    s["BEGIN_JOB"] = {"Y_RESULT=0\nY_SESSION=42\n"};
    for (int i = 0; i < jobWaits; ++i)
        s["READY_BEGIN_JOB"].push_back("Y_READY=1\n");
    s["READY_BEGIN_JOB"].push_back("Y_READY=0\n");
    for (int i = 0; i < pageWaits; ++i)
        s["READY_SCANPAGE"].push_back(i % 2 ? "Y_READY=1\n" : "Y_READY=2\n");
    s["READY_SCANPAGE"].push_back("Y_READY=0\nY_PIXEL_WIDTH=4\nY_PIXEL_HEIGHT=2\n");
    s["BEGIN_GET_IMAGE"] = {"Y_RESULT=0\nY_ROWBYTES=8\n"};
    s["GET_IMAGE"] = {"Y_RESULT=0\nY_DATA_BYTE=8\nY_IMAGE_DATA=ABCDEFGH"};
    return s;
}

CScanRequestParams Grey() {
    CScanRequestParams p;
    p.ColorMode = 1;
    return p;
}

struct SPollCase {
    int readyPause;
    int jobWaits, pageWaits;
    std::vector<int> pauses;
};

TEST(ScanEngine, PollsReadyAtOnceUnlessGivenAPause) {
    const SPollCase cases[] = {
        {0, 3, 4, {}},
        {100, 0, 0, {}},
        {100, 2, 1, {100, 100, 100}},
        {25, 1, 2, {25, 25, 25}},
    };
    for (const SPollCase &c : cases) {
        CWire wire;
        CScriptedServer server(wire, "", PlatenPage(c.jobWaits, c.pageWaits));
        std::vector<int> pauses;
        CScanEngine engine(server, Grey(), "user", [&](int ms) { pauses.push_back(ms); });
        engine.SetReadyPollPause(c.readyPause);
        ASSERT_EQ(engine.StartPage(), EEngineStatus::Good);
        EXPECT_EQ(pauses, c.pauses) << "pause " << c.readyPause;
        const auto count = [&](const char *command) {
            return std::count(wire.log.begin(), wire.log.end(), command);
        };
        EXPECT_EQ(count("READY_BEGIN_JOB"), c.jobWaits + 1);
        EXPECT_EQ(count("READY_SCANPAGE"), c.pageWaits + 1);
    }
}

TEST(ScanEngine, HeartBeatKeepsThePageAliveOnItsOwnConnectionUntilTheJobEnds) {
    CWire wire;
    CScriptedServer server(wire, "", PlatenPage(1, 1));
    int connections = 0;
    CScanEngine engine(server, Grey(), "user", [](int) {});
    engine.KeepAliveWith([&] {
        ++connections;
        return std::make_unique<CScriptedServer>(wire, "beat ",
                                                 std::map<std::string, std::deque<std::string>>{});
    });
    ASSERT_EQ(engine.StartPage(), EEngineStatus::Good);
    char page[16];
    size_t got = 0, total = 0;
    do {
        ASSERT_EQ(engine.Read(page + total, sizeof page - total, got), EEngineStatus::Good);
        total += got;
    } while (got > 0);
    EXPECT_EQ(std::string(page, total), "ABCDEFGH");
    EXPECT_FALSE(engine.JobOpen());

    // Nothing of the heartbeat before the page is ready, nothing after the
    // job's end; its path is discovered on its own connection, with the
    // command headers.
    std::vector<std::string> beats;
    size_t firstBeat = wire.log.size(), endJob = 0;
    for (size_t i = 0; i < wire.log.size(); ++i) {
        if (wire.log[i].rfind("beat ", 0) == 0) {
            beats.push_back(wire.log[i]);
            firstBeat = std::min(firstBeat, i);
        }
        if (wire.log[i] == "END_JOB")
            endJob = i;
    }
    EXPECT_EQ(beats, (std::vector<std::string>{"beat GET CV_WebPath.txt +headers",
                                               "beat HEART_BEAT_JOB"}));
    EXPECT_EQ(connections, 1);
    ASSERT_GT(endJob, 0u);
    EXPECT_LT(firstBeat, endJob);
    const auto ready = std::find(wire.log.rbegin(), wire.log.rend(), "READY_SCANPAGE");
    EXPECT_GT(firstBeat, static_cast<size_t>(wire.log.rend() - ready) - 1);
}

// A program that shows what the engine tells it and cancels on demand.
class CRecordingHost : public IEngineHost {
public:
    void ShowServerStatus(const CServerReply *reply) override {
        statuses.push_back(reply ? reply->result : -1);
    }
    void ReadyAnswer(int32_t ready) override { readies.push_back(ready); }
    bool UserCancelled() const override { return cancelled; }
    void Pause(int) override { ++pauses; }
    std::vector<int32_t> statuses, readies;
    bool cancelled = false;
    int pauses = 0;
};

// The steps one at a time: each moves the job only as far as the server
// went, and leaves the clean-up of a failure to its caller.
TEST(ScanEngine, StepsLeaveThePhaseAndTheCleanUpToTheirCaller) {
    const std::string busy = "Y_RESULT=16403\nY_RECOVER=1\n";
    std::map<std::string, std::deque<std::string>> s = PlatenPage(0, 2);
    // A reply far longer than the protocol's is cut, and its keys still
    // count.
    s["BEGIN_JOB"] = {"Y_RESULT=0\nY_SESSION=42\nX=" + std::string(70000, 'x') + "\n"};
    s["READY_BEGIN_JOB"] = {busy, "Y_READY=1\n", "Y_RESULT=16403\nY_RECOVER=0\n"};
    s["CANCEL_SCANPAGE"] = {busy, busy, "Y_RESULT=0\n"};
    CWire wire;
    CScriptedServer server(wire, "", s);
    CRecordingHost host;
    CScanEngine engine(server, Grey(), "user", host);

    ASSERT_EQ(engine.BeginJob(), EEngineStep::Done);
    EXPECT_EQ(engine.Session(), 42);
    // A refused READY_BEGIN_JOB gives the job up as ready: it is ended, not
    // cancelled. Each answer clears the status line; the retried one shows
    // its message first.
    EXPECT_EQ(engine.ReadyBeginJob(), EEngineStep::Failed);
    EXPECT_EQ(engine.Error(), EEngineError::Server);
    EXPECT_EQ(host.statuses, (std::vector<int32_t>{16403, -1, 16403}));
    EXPECT_TRUE(engine.JobOpen());
    ASSERT_EQ(engine.BeginScanPage(), EEngineStep::Done);
    ASSERT_EQ(engine.ReadyScanPage(), EEngineStep::Done);
    EXPECT_EQ(host.readies, (std::vector<int32_t>{2, 1, 0}));
    EXPECT_EQ(engine.PixelWidth(), 4);

    // A cancel stops a cancel command's repeats only when asked to: the
    // temporary refusal then stands as its answer.
    host.cancelled = true;
    EXPECT_EQ(engine.CancelScanPage(true), EEngineStep::Done);
    EXPECT_EQ(engine.CancelScanPage(false), EEngineStep::Done);
    EXPECT_EQ(engine.EndJob(true), EEngineStep::Done);
    EXPECT_FALSE(engine.JobOpen());
    EXPECT_EQ(wire.log, (std::vector<std::string>{
                            "GET CV_WebPath.txt", "BEGIN_JOB", "READY_BEGIN_JOB", "READY_BEGIN_JOB",
                            "READY_BEGIN_JOB", "BEGIN_SCANPAGE", "READY_SCANPAGE", "READY_SCANPAGE",
                            "READY_SCANPAGE", "CANCEL_SCANPAGE", "CANCEL_SCANPAGE",
                            "CANCEL_SCANPAGE", "END_JOB"}));
}

// A failure ends the job on the server at once, and what is told of it is
// the failed command's, not the clean-up's.
TEST(ScanEngine, FailureEndsTheJobAndKeepsItsOwnAnswer) {
    std::map<std::string, std::deque<std::string>> s = PlatenPage(0, 0);
    s["BEGIN_SCANPAGE"] = {"HTTP 500"};
    CWire wire;
    CScriptedServer server(wire, "", s);
    CScanEngine engine(server, Grey(), "user", [](int) {});
    EXPECT_EQ(engine.StartPage(), EEngineStatus::Failed);
    EXPECT_EQ(engine.Error(), EEngineError::HttpStatus);
    EXPECT_EQ(engine.LastHttpStatus(), 500);
    EXPECT_FALSE(engine.JobOpen());
    EXPECT_EQ(wire.log.back(), "END_JOB");
}

// Stands for the heartbeat's own connection; stops the beat (as a job
// would, from another thread) once it has posted stopAfter times.
class CBeatServer : public ITransport {
public:
    CBeatServer(std::vector<std::string> &sent, std::atomic<int> &left, CJobHeartBeat *&beat,
                bool pathFile)
        : m_sent(sent), m_left(left), m_beat(beat), m_pathFile(pathFile) {}
    std::unique_ptr<IHttpResponse> Send(const std::string &path, const std::string *body,
                                        const std::vector<std::string> &headers,
                                        std::string &) override {
        if (!body) {
            m_sent.push_back("GET " + path + " " + std::to_string(headers.size()));
            return std::make_unique<CCannedResponse>(m_pathFile ? "CGI_PATH=/cgi/\r\nX=1\n"
                                                                : "OTHER=1\n");
        }
        m_sent.push_back(path + " " + *body);
        if (--m_left == 0)
            m_beat->Stop();
        return std::make_unique<CCannedResponse>("Y_RESULT=0\n");
    }

private:
    std::vector<std::string> &m_sent;
    std::atomic<int> &m_left;
    CJobHeartBeat *&m_beat;
    bool m_pathFile;
};

struct SBeatCase {
    int stopAfter;  // posts before the beat is stopped, the last one in flight
    bool pathFile;  // the path file names the command program
    std::vector<std::string> sent;
};

// At once, then every interval; a stop lets the request in flight finish
// and nothing more goes out; a path file without the program's name gives
// a POST to an empty path.
TEST(JobHeartBeat, PostsUntilStoppedAndNoMore) {
    const std::string beat = "X_PROTOCOL=120&X_COMMAND=HEART_BEAT_JOB&X_SESSION=7";
    const SBeatCase cases[] = {
        {1, true, {"GET CV_WebPath.txt 3", "/cgi/scanner.dll " + beat}},
        {3,
         true,
         {"GET CV_WebPath.txt 3", "/cgi/scanner.dll " + beat, "/cgi/scanner.dll " + beat,
          "/cgi/scanner.dll " + beat}},
        {1, false, {"GET CV_WebPath.txt 3", " " + beat}},
    };
    for (const SBeatCase &c : cases) {
        std::vector<std::string> sent;
        std::atomic<int> left{c.stopAfter};
        CJobHeartBeat *self = nullptr;
        CJobHeartBeat heart(
            [&] { return std::make_unique<CBeatServer>(sent, left, self, c.pathFile); },
            CommandHeaderLines("Japanese"));
        self = &heart;
        heart.SetInterval(0);
        ASSERT_TRUE(heart.Start(7));
        for (int i = 0; i < 5000 && left > 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_FALSE(heart.IsRunning());
        heart.StopAndWait();
        EXPECT_EQ(sent, c.sent) << c.stopAfter;
    }
}

}  // namespace
