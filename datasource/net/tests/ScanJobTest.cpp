// The scan job against the scan server simulator through WinINet: whole
// pages, feeder stacks, operator waits, cancel in every waiting phase,
// server failures, and the message the user sees for each outcome.
#include "ScanJob.h"

#include <wininet.h>

#include "SimJobHost.h"
#include "SimulatorClient.h"
#include "res/job_dialog_ids.h"
#include "res/net_ids.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring Str(UINT id) {
    return CModuleStrings(GetModuleHandleW(nullptr)).Load(id);
}

std::vector<std::string> Commands() {
    std::vector<std::string> out;
    for (const auto &r : CSimulatorClient::Requests())
        if (!r.command.empty())
            out.push_back(r.command);
    return out;
}

int Count(const std::vector<std::string> &v, const char *c) {
    return static_cast<int>(std::count(v.begin(), v.end(), std::string(c)));
}

// URLs of the Internet cache's entries for the scanner's command path; with
// `remove` they are deleted as they are found.
std::vector<std::string> CachedCommandAnswers(bool remove) {
    std::vector<std::string> urls;
    std::vector<char> buf(4096);
    DWORD size = static_cast<DWORD>(buf.size());
    auto *entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(buf.data());
    HANDLE find = FindFirstUrlCacheEntryA(nullptr, entry, &size);
    if (!find)
        return urls;
    do {
        const std::string url = entry->lpszSourceUrlName ? entry->lpszSourceUrlName : "";
        if (url.find("scanner.dll") != std::string::npos) {
            urls.push_back(url);
            if (remove)
                DeleteUrlCacheEntryA(url.c_str());
        }
        size = static_cast<DWORD>(buf.size());
    } while (FindNextUrlCacheEntryA(find, entry, &size));
    FindCloseUrlCache(find);
    return urls;
}

// Reads the open page to its end; returns its bytes.
std::string ReadPage(CScanJob &job, uint32_t bufferSize = 65536) {
    std::string page;
    std::vector<char> buf(bufferSize);
    for (int guard = 0; guard < 1000000; ++guard) {
        uint32_t n = bufferSize;
        bool end = job.Read(buf.data(), n);
        page.append(buf.data(), n);
        if (end)
            break;
    }
    return page;
}

// Presses the progress dialog's Cancel once the job shows it, from inside
// the job's own message pumping, like a user would.
CScanJob *g_cancelTarget = nullptr;
int32_t g_cancelPhase = 0;
void CALLBACK PressCancel(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_cancelTarget && g_cancelTarget->HasProgressDialog() &&
        g_cancelTarget->Phase() == g_cancelPhase) {
        HWND dlg = g_cancelTarget->ProgressDialog()->Window();
        KillTimer(nullptr, id);
        SendMessageW(GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
    }
}

class ScanJob : public ::testing::Test {
protected:
    void Scenario(const std::vector<std::string> &args) {
        ASSERT_NE(CSimulatorClient::Port(), 0) << "simulator not running";
        ASSERT_TRUE(CSimulatorClient::SetScenario(args));
    }
    std::unique_ptr<CScanJob> MakeJob(bool prescan = false) {
        auto job = std::make_unique<CScanJob>(host, prescan);
        job->SetTimings(10, 200);
        return job;
    }
    CSimJobHost host;
};

std::string BeginJobBody() {
    for (const auto &r : CSimulatorClient::Requests())
        if (r.command == "BEGIN_JOB")
            return r.body;
    return std::string();
}

TEST_F(ScanJob, PlatenPageArrivesWholeAndTheJobEnds) {
    Scenario({});
    CachedCommandAnswers(true);
    // A photographic-paper choice kept from when the option was offered
    // must not reach the server now that it is not.
    host.settings.Photographs = 1;
    auto job = MakeJob();
    EXPECT_EQ(host.capDpi, 200);
    EXPECT_EQ(host.capMode, 0);
    ASSERT_EQ(job->Advance(), JOB_OK);
    ASSERT_EQ(job->Phase(), IMAGE_OPEN);
    EXPECT_EQ(job->Pages(), 1);
    std::string page = ReadPage(*job, 4097);
    EXPECT_EQ(job->Result(), JOB_OK);
    EXPECT_EQ(job->Phase(), PAGE_READY);
    EXPECT_EQ(static_cast<int32_t>(page.size()), job->Geometry().pageBytes);
    EXPECT_TRUE(page == CSimulatorClient::Page(job->SessionId(), 1)) << "page bytes differ";
    EXPECT_EQ(ModulePageSize().width, job->PixelWidth());
    // Reading on after the end hands out nothing and asks the server nothing.
    const size_t requests = Commands().size();
    char more[16];
    uint32_t n = sizeof more;
    EXPECT_TRUE(job->Read(more, n));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(Commands().size(), requests);
    EXPECT_NE(BeginJobBody().find("&X_PHOTOGRAPHS=-1&"), std::string::npos) << BeginJobBody();
    EXPECT_FALSE(job->MorePages());
    job->EndPage();
    const int32_t session = job->SessionId();
    job.reset();
    auto cmds = Commands();
    EXPECT_EQ(cmds.front(), "BEGIN_JOB");
    EXPECT_EQ(cmds.back(), "END_JOB");
    EXPECT_FALSE(CSimulatorClient::JobOpen(session));
    EXPECT_TRUE(host.boxes.empty());
    // A scanned page is the user's document: no copy of it stays behind in
    // the Internet cache.
    EXPECT_TRUE(CachedCommandAnswers(false).empty());
}

TEST_F(ScanJob, FeederStackGivesEveryPageThenEndsSilently) {
    Scenario({"--feeder-sheets", "3"});
    host.settings.PaperPlace = 1;
    auto job = MakeJob();
    std::vector<int32_t> pages;
    for (int sheet = 0; sheet < 10; ++sheet) {
        ASSERT_EQ(job->Advance(), JOB_OK);
        pages.push_back(job->Pages());
        std::string page = ReadPage(*job);
        EXPECT_TRUE(page == CSimulatorClient::Page(job->SessionId(), job->Pages()))
            << "sheet " << sheet;
        job->EndPage();
        if (!job->MorePages())
            break;
    }
    EXPECT_EQ(pages, (std::vector<int32_t>{1, 2, 3}));
    EXPECT_TRUE(host.boxes.empty());
    const int32_t session = job->SessionId();
    job.reset();
    auto cmds = Commands();
    EXPECT_EQ(Count(cmds, "BEGIN_SCANPAGE"), 1);
    EXPECT_EQ(cmds.back(), "END_JOB");
    EXPECT_FALSE(CSimulatorClient::JobOpen(session));
    // One session for the whole job: the command path is looked up once
    // for the commands and once for the heartbeat, not again for every sheet.
    int pathLookups = 0;
    for (const auto &r : CSimulatorClient::Requests())
        pathLookups += r.path.find("CV_WebPath.txt") != std::string::npos;
    EXPECT_EQ(pathLookups, 2);
}

// A feeder sheet whose image failed: what the server is told before the
// next sheet, and that nothing of that tidying changes the page's outcome.
TEST_F(ScanJob, FeederSheetAfterAFailedImageGoesOnToTheNextSheet) {
    struct Case {
        std::vector<std::string> scenario;
        int32_t result;
        int cancels;  // CANCEL_GET_IMAGE sent before the next sheet
        bool nextSheet;
    } cases[] = {
        // No answer to GET_IMAGE at all: a server that may be gone is not
        // asked once more.
        {{"--drop-at", "GET_IMAGE"}, JOB_COMM_ERROR, 0, true},
        // The image broke off: the sheet is let go and the next one follows.
        {{"--short-data", "50000"}, JOB_SERVER_ERROR, 1, true},
        // A server that will not let go of it: the job ends without another
        // box, and the page's result stays as it was.
        {{"--short-data", "50000", "--http-status", "CANCEL_GET_IMAGE=500"},
         JOB_SERVER_ERROR,
         1,
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scenario[0]);
        std::vector<std::string> scenario = c.scenario;
        scenario.insert(scenario.end(), {"--feeder-sheets", "2"});
        Scenario(scenario);
        host.settings.PaperPlace = 1;
        host.boxes.clear();
        auto job = MakeJob();
        ASSERT_EQ(job->Advance(), JOB_OK);
        ReadPage(*job);
        EXPECT_EQ(job->Result(), c.result);
        // The transfer shows the page's box before the page is ended.
        job->ShowError();
        EXPECT_EQ(host.boxes.size(), 1u);
        job->EndPage();
        EXPECT_EQ(job->Result(), c.result);
        EXPECT_EQ(Count(Commands(), "CANCEL_GET_IMAGE"), c.cancels);
        ASSERT_EQ(job->MorePages(), c.nextSheet);
        EXPECT_EQ(host.boxes.size(), 1u);
        if (c.nextSheet && c.cancels == 1) {
            // The data source clears the result once the page is over.
            job->SetResult(JOB_OK);
            ASSERT_EQ(job->Advance(), JOB_OK);
            EXPECT_TRUE(ReadPage(*job) == CSimulatorClient::Page(job->SessionId(), 2));
            EXPECT_EQ(job->Result(), JOB_OK);
            job->EndPage();
        }
        const int32_t session = job->SessionId();
        job.reset();
        EXPECT_FALSE(CSimulatorClient::JobOpen(session));
    }
}

TEST_F(ScanJob, AuthenticationAtTheDeviceEndsQuietlyWithItsBox) {
    Scenario({"--scan-authentic"});
    auto job = MakeJob();
    EXPECT_EQ(job->Advance(), JOB_AUTH_AT_DEVICE);
    EXPECT_EQ(job->Phase(), JOB_IDLE);
    EXPECT_FALSE(job->HasProgressDialog());
    job->ShowError();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0], Str(22051));
    EXPECT_EQ(host.boxFlags, 0x1030u);
    job.reset();
    EXPECT_EQ(Commands(), (std::vector<std::string>{"BEGIN_JOB"}));
}

struct CancelCase {
    const char *name;
    std::vector<std::string> scenario;
    const char *cancelCommand;
    int32_t phase;  // pressed while the job waits in this phase
    // A server that refuses the cancel: the scan start fails with that
    // refusal and its box, and the job is cancelled again when it goes.
    int32_t result = JOB_CANCELLED;
    int cancels = 1;
    size_t boxes = 0;
};

void PrintTo(const CancelCase &c, std::ostream *os) {
    *os << c.name;
}

class ScanJobCancel : public ScanJob, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(ScanJobCancel, SendsTheMatchingCancelAndLeavesNoJob) {
    const CancelCase &c = GetParam();
    Scenario(c.scenario);
    auto job = MakeJob();
    g_cancelTarget = job.get();
    g_cancelPhase = c.phase;
    int32_t result;
    if (c.phase == IMAGE_OPEN) {
        ASSERT_EQ(job->Advance(), JOB_OK);
        SetTimer(nullptr, 0, 100, PressCancel);
        ReadPage(*job);
        result = job->Result();
    } else {
        SetTimer(nullptr, 0, 50, PressCancel);
        result = job->Advance();
    }
    g_cancelTarget = nullptr;
    EXPECT_EQ(result, c.result);
    job->ShowError();
    job->EndPage();
    const int32_t session = job->SessionId();
    job.reset();
    auto cmds = Commands();
    std::string all;
    for (const auto &cmd : cmds)
        all += cmd + " ";
    EXPECT_EQ(Count(cmds, c.cancelCommand), c.cancels) << all;
    EXPECT_FALSE(CSimulatorClient::JobOpen(session)) << CSimulatorClient::State();
    EXPECT_EQ(host.boxes.size(), c.boxes);
}

INSTANTIATE_TEST_SUITE_P(
    Phases, ScanJobCancel,
    ::testing::Values(
        CancelCase{"ReadyBeginJob",
                   {"--ready-wait", "READY_BEGIN_JOB=100000"},
                   "CANCEL_BEGIN_JOB",
                   JOB_BEGUN},
        CancelCase{"ReadyBeginJobRefusedByTheServer",
                   {"--ready-wait", "READY_BEGIN_JOB=100000", "--result", "CANCEL_BEGIN_JOB=16411"},
                   "CANCEL_BEGIN_JOB",
                   JOB_BEGUN,
                   JOB_SERVER_ERROR,
                   2,
                   1},
        CancelCase{"ReadyScanPage",
                   {"--ready-wait", "READY_SCANPAGE=100000"},
                   "CANCEL_SCANPAGE",
                   PAGE_BEGUN},
        CancelCase{"ImageRead", {"--image-rate", "300000"}, "CANCEL_GET_IMAGE", IMAGE_OPEN}),
    [](const auto &info) { return info.param.name; });

// A server that answers "wait" again and again: the pause between its
// answers must not keep the user's Cancel waiting.
TEST_F(ScanJob, CancelIsAnsweredAtOnceDuringARetryStorm) {
    Scenario({"--result", "READY_BEGIN_JOB=16401:recover=1:times=0"});
    auto job = MakeJob();
    constexpr DWORD kPauseMs = 5000, kPressAfterMs = 300;
    job->SetTimings(kPauseMs, 200);
    g_cancelTarget = job.get();
    g_cancelPhase = JOB_BEGUN;
    const DWORD start = GetTickCount();
    SetTimer(nullptr, 0, kPressAfterMs, PressCancel);
    EXPECT_EQ(job->Advance(), JOB_CANCELLED);
    const DWORD took = GetTickCount() - start;
    g_cancelTarget = nullptr;
    // Pressed well inside the first pause: a job that slept through it
    // would take the whole pause.
    EXPECT_LT(took, kPauseMs / 2);
    std::printf("Cancel answered %lu ms after it was pressed (retry pause %lu ms)\n",
                static_cast<unsigned long>(took > kPressAfterMs ? took - kPressAfterMs : 0),
                static_cast<unsigned long>(kPauseMs));
    EXPECT_EQ(Count(Commands(), "CANCEL_BEGIN_JOB"), 1);
    job.reset();
}

// Samples the progress dialog while the device waits for its operator.
struct CLookSample {
    bool stopped = false, restored = false;
};
CLookSample g_look;
void CALLBACK SampleLook(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_cancelTarget || !g_cancelTarget->HasProgressDialog())
        return;
    HWND dlg = g_cancelTarget->ProgressDialog()->Window();
    wchar_t notice[128] = {};
    GetDlgItemTextW(dlg, IDC_JOB_NOTICE, notice, 128);
    const bool noticeShown = IsWindowVisible(GetDlgItem(dlg, IDC_JOB_NOTICE));
    const bool bytesShown = IsWindowVisible(GetDlgItem(dlg, IDC_JOB_BYTE_TEXT));
    if (noticeShown && !bytesShown && Str(IDS_STOPPING_SCAN) == notice)
        g_look.stopped = true;
    if (g_look.stopped && !noticeShown && bytesShown)
        g_look.restored = true;
}

TEST_F(ScanJob, OperatorWaitShowsTheStoppedLookAndBack) {
    Scenario({"--operator-wait", "15", "--ready-wait", "READY_SCANPAGE=15", "--delay",
              "READY_SCANPAGE=30"});
    auto job = MakeJob();
    g_cancelTarget = job.get();
    g_look = CLookSample{};
    UINT_PTR timer = SetTimer(nullptr, 0, 20, SampleLook);
    EXPECT_EQ(job->Advance(), JOB_OK);
    KillTimer(nullptr, timer);
    g_cancelTarget = nullptr;
    EXPECT_TRUE(g_look.stopped);
    EXPECT_TRUE(g_look.restored);
}

TEST_F(ScanJob, ServerFailuresEndWithTheirMessage) {
    struct Case {
        std::vector<std::string> scenario;
        int32_t result;
        std::wstring box;
    } cases[] = {
        {{"--result", "BEGIN_JOB=16403"}, JOB_SERVER_ERROR, Str(16403)},
        {{"--result", "BEGIN_SCANPAGE=1:status=77"},
         JOB_SERVER_ERROR,
         L"パラメータエラーです。(77)"},
        {{"--result", "READY_BEGIN_JOB=-1:status=-195"}, JOB_SERVER_ERROR, Str(24)},
        {{"--http-status", "BEGIN_JOB=500"}, JOB_COMM_ERROR, L""},
        {{"--drop-at", "BEGIN_GET_IMAGE:times=0"},
         JOB_COMM_ERROR,
         L"サーバーとの接続が切断されました。（12030）"},
    };
    for (const Case &c : cases) {
        Scenario(c.scenario);
        host.boxes.clear();
        auto job = MakeJob();
        EXPECT_EQ(job->Advance(), c.result) << c.scenario[1];
        job->ShowError();
        const int32_t session = job->SessionId();
        if (c.box.empty()) {
            EXPECT_TRUE(host.boxes.empty()) << c.scenario[1];
        } else {
            ASSERT_EQ(host.boxes.size(), 1u) << c.scenario[1];
            EXPECT_EQ(host.boxes[0], c.box) << c.scenario[1];
        }
        job.reset();
        EXPECT_FALSE(session > 0 && CSimulatorClient::JobOpen(session)) << c.scenario[1];
    }
}

TEST_F(ScanJob, BrokenImageStreamIsAFailureNeverAShortPage) {
    for (const char *scenario : {"--short-data", "--drop-at"}) {
        Scenario(
            {scenario, std::string(scenario) == "--short-data" ? "50000" : "GET_IMAGE:byte=50000"});
        host.boxes.clear();
        auto job = MakeJob();
        ASSERT_EQ(job->Advance(), JOB_OK);
        std::string page = ReadPage(*job);
        EXPECT_NE(job->Result(), JOB_OK) << scenario;
        EXPECT_LT(static_cast<int32_t>(page.size()), job->Geometry().pageBytes);
        job->ShowError();
        EXPECT_EQ(host.boxes.size(), 1u) << scenario;
        job->EndPage();
        const int32_t session = job->SessionId();
        job.reset();
        EXPECT_FALSE(CSimulatorClient::JobOpen(session)) << scenario;
    }
}

TEST_F(ScanJob, HeartbeatRunsWhileThePageIsFetchedAndStopsBeforeEndJob) {
    Scenario({"--delay", "GET_IMAGE=700"});
    auto job = MakeJob();
    ASSERT_EQ(job->Advance(), JOB_OK);
    ReadPage(*job);
    job->EndPage();
    job.reset();
    auto cmds = Commands();
    EXPECT_GE(Count(cmds, "HEART_BEAT_JOB"), 2);
    auto end = std::find(cmds.begin(), cmds.end(), "END_JOB");
    ASSERT_NE(end, cmds.end());
    EXPECT_EQ(std::find(end, cmds.end(), "HEART_BEAT_JOB"), cmds.end());
}

TEST_F(ScanJob, FixedResultBoxesUseTheirStrings) {
    Scenario({});
    const std::pair<int32_t, UINT> cases[] = {
        {JOB_UNSUPPORTED_SERVER, 22033}, {JOB_NO_SCANNER_SELECTED, 22035},
        {JOB_SCANNER_POWER, 22036},      {JOB_NO_MEMORY, 22045},
        {JOB_AUTH_AT_DEVICE, 22051},
    };
    for (const auto &[result, id] : cases) {
        host.boxes.clear();
        auto job = MakeJob();
        job->SetResult(result);
        job->ShowError();
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0], Str(id)) << result;
        EXPECT_FALSE(host.boxes[0].empty());
    }
}

}  // namespace
