// The fault matrix, end to end through the real programs: corvscan.exe,
// Wine's source manager, our source and the simulator, with both programs'
// diagnostic logs switched on. One utility run takes a whole table of
// faults one after another, so each case also shows that the utility can
// scan again at once. For every case: no wait is unbounded, the user sees
// the right box (or none after a cancel), the server's job is ended, no
// half-written file stays and complete pages are kept whole (checked by
// the decoders of saved_pages_check.sh), and the source's log says where
// and why it failed.
#include "ScanUtilitySave.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

// The source's log beside the utility's, switched on by its existence.
std::string SourceLogPath() {
    char dir[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "corvsrc.log";
}

// The server password of the whole matrix: it goes out in every BEGIN_JOB
// and must never reach a log. Letters and digits only, so that it is sent
// as it stands.
constexpr char kServerPassword[] = "Kq7MatrixSecret";

std::string FileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t SourceLogLines() {
    std::ifstream in(SourceLogPath(), std::ios::binary);
    size_t lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    return lines;
}

// The text a box shows for server result `code`: the module's string of
// that id, else of the id with 0x8000 set, else the general server error;
// up to its first format field, which the box fills in.
std::wstring ResultText(int code) {
    static const HMODULE source = ::LoadLibraryExW(CTwainTestClient::InstalledSourcePath().c_str(),
                                                   nullptr, LOAD_LIBRARY_AS_DATAFILE);
    wchar_t text[512] = {};
    for (const int id : {code, code | 0x8000, 32869})
        if (::LoadStringW(source, static_cast<UINT>(id), text, 512) > 0)
            break;
    const std::wstring whole = text;
    return whole.substr(0, whole.find(L'%'));
}

const std::wstring kAnyBox = L"*";

struct SFault {
    std::string name;
    std::vector<std::string> scenario;
    // The output type the save dialog is answered with (1 TIFF, 2 JPEG,
    // 3 multi-page TIFF, 4 PDF, 5 high-compression PDF); 0: the dialog
    // must not come, the scan fails before its first page.
    int type = 0;
    // The start of the one box the user must see; empty: no box at all;
    // kAnyBox: one box, whatever its text (a transport failure's words
    // come from the system).
    std::wstring box;
    // Cancel is pressed this long after the progress window shows; -1: never.
    int cancelAfterMs = -1;
    // Sheets saved whole.
    int pagesKept = 0;
};

class ScanUtilityFaults : public ScanUtilitySave {
protected:
    void StartRun(int colorMode, int sheets) {
        std::ofstream(SourceLogPath(), std::ios::binary | std::ios::trunc);
        // The high-compression component where the utility finds it, for
        // this run only: later tests expect it missing.
        std::wstring path(32768, L'\0');
        path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), 32768));
        ::SetEnvironmentVariableW(L"PATH", (path + L";" + CORV_MRC_DIR).c_str());
        m_sheets = sheets;
        m_jobsKept = true;
        m_serverPassword = kServerPassword;
        Start({}, colorMode, sheets);
        ::SetEnvironmentVariableW(L"PATH", path.c_str());
    }

    // One case on the running utility.
    void Run(const SFault &f) {
        SCOPED_TRACE(f.name);
        std::vector<std::string> scenario = f.scenario;
        scenario.insert(scenario.end(), {"--feeder-sheets", std::to_string(m_sheets)});
        ASSERT_TRUE(CSimulatorClient::SetScenario(scenario));
        const int sessionBefore = CSimJobState::LastSession();
        // A feeder job kept from the case before numbers its pages on.
        const auto kept = CSimJobState::Of(sessionBefore);
        const int pagesBefore = kept ? static_cast<int>(kept->pages.size()) : 0;
        const size_t logBefore = SourceLogLines();
        const int savedBefore = CUtilityRun::CountLog("saving done");
        CUtilityRun::Press(m_source, IDOK);

        std::vector<std::wstring> boxes;
        bool answered = false;
        DWORD progressSeen = 0;
        bool cancelled = false;
        DWORD cancelAt = 0;
        DWORD dialogBack = 0;
        int quiet = 0;
        const DWORD deadline = ::GetTickCount() + kScanTimeoutMs;
        while (quiet < 3) {
            ASSERT_LT(static_cast<int>(::GetTickCount() - deadline), 0)
                << "the scan hangs: " << boxes.size() << " boxes, saved " << answered << ", dialog "
                << (::IsWindowEnabled(m_source) ? "enabled" : "disabled") << ", progress "
                << (FindProgress() ? "shown" : "gone") << ", job "
                << (JobEnded(CSimJobState::LastSession()) ? "ended" : "open");
            ::Sleep(50);
            if (const HWND save = m_run.SaveDialog()) {
                ASSERT_NE(f.type, 0) << "no page was expected to reach the utility";
                CUtilityRun::AnswerSaveDialog(save, m_folder + L"\\" + Wide(f.name), f.type, false);
                answered = true;
                quiet = 0;
                continue;
            }
            if (const auto shown = m_run.MessageBoxes(); !shown.empty()) {
                boxes.push_back(CUtilityRun::BoxText(shown[0]));
                CUtilityRun::Press(shown[0], IDOK);
                quiet = 0;
                continue;
            }
            if (f.cancelAfterMs >= 0 && !cancelled) {
                if (const HWND progress = FindProgress()) {
                    if (progressSeen == 0)
                        progressSeen = ::GetTickCount();
                    else if (::GetTickCount() - progressSeen >=
                             static_cast<DWORD>(f.cancelAfterMs)) {
                        CUtilityRun::Press(progress, IDCANCEL);
                        cancelled = true;
                        cancelAt = ::GetTickCount();
                    }
                }
                quiet = 0;
                continue;
            }
            if (cancelled && dialogBack == 0 && ::IsWindowEnabled(m_source) && !FindProgress())
                dialogBack = ::GetTickCount();
            const int session = CSimJobState::LastSession();
            const bool settled = ::IsWindowEnabled(m_source) && !FindProgress() &&
                                 (session == sessionBefore || JobEnded(session)) &&
                                 (!answered || CUtilityRun::CountLog("saving done") > savedBefore);
            quiet = settled ? quiet + 1 : 0;
        }

        EXPECT_EQ(answered, f.type != 0);
        if (cancelled)
            std::printf("cancel latency %s: %lu ms\n", f.name.c_str(),
                        static_cast<unsigned long>(dialogBack - cancelAt));
        if (f.box.empty()) {
            EXPECT_TRUE(boxes.empty()) << Narrow(boxes.empty() ? L"" : boxes[0]);
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            if (f.box == kAnyBox)
                EXPECT_FALSE(boxes[0].empty());
            else
                EXPECT_EQ(boxes[0].substr(0, f.box.size()), f.box);
        }
        const int session = CSimJobState::LastSession();
        if (session > sessionBefore) {
            EXPECT_TRUE(JobEnded(session)) << "the server's job was left open";
        }
        if (!f.box.empty() || f.cancelAfterMs >= 0) {
            EXPECT_GT(SourceLogLines(), logBefore) << "the source's log says nothing";
        }
        ExpectPasswordSentButNeverLogged();
        ExpectKept(f, session == sessionBefore ? pagesBefore : 0);
    }

    void ExpectPasswordSentButNeverLogged() {
        for (const CRecordedRequest &r : CSimulatorClient::Requests())
            if (r.command == "BEGIN_JOB") {
                EXPECT_NE(r.body.find(std::string("&X_PASSWORD=") + kServerPassword + "&"),
                          std::string::npos)
                    << r.body;
            }
        std::string wide;
        for (const char c : std::string(kServerPassword))
            wide += {c, '\0'};
        for (const std::string &log : {SourceLogPath(), CUtilityRun::LogPath()}) {
            const std::string text = FileBytes(log);
            EXPECT_EQ(text.find(kServerPassword), std::string::npos) << log;
            EXPECT_EQ(text.find(wide), std::string::npos) << log;
        }
    }

    // Only complete sheets stay, each listed for the decoder check.
    void ExpectKept(const SFault &f, int pagesBefore) {
        std::set<std::string> files;
        for (const std::string &file : FilesIn(m_folder))
            if (file.rfind(f.name, 0) == 0 && file.find(".expected") == std::string::npos)
                files.insert(file);
        if (f.pagesKept == 0) {
            EXPECT_TRUE(files.empty()) << *files.begin();
            return;
        }
        static const char *const kExtension[] = {"", ".tif", ".jpg", ".tif", ".pdf", ".pdf"};
        const bool perPage = f.type == 1 || f.type == 2;
        const bool lossy = f.type == 2 || f.type == 4 || f.type == 5;
        EXPECT_EQ(files.size(), perPage ? static_cast<size_t>(f.pagesKept) : 1u);
        for (int sheet = 1; sheet <= f.pagesKept; ++sheet) {
            const std::string number = sheet == 1 || !perPage ? "" : std::to_string(sheet);
            const std::string file = f.name + number + kExtension[f.type];
            EXPECT_EQ(files.count(file), 1u) << file;
            // The high-compression PDF's pages are its own mixed raster.
            if (f.type != 5)
                Expect(file, perPage ? 0 : sheet - 1, pagesBefore + sheet, lossy);
        }
    }

    HWND FindProgress() const {
        const auto found = m_run.Windows(L"データ転送中");
        return found.empty() ? nullptr : found[0];
    }

    int m_sheets = 1;
};

// Everything that can go wrong on a platen scan, on one utility run.
TEST_F(ScanUtilityFaults, ServerFailuresDropsAndCancelsOnThePlaten) {
    StartRun(1, 0);
    std::vector<SFault> faults;
    // Every result code the string table names, at the first command.
    for (const int code :
         {16401, 16403, 16404, 16405, 16409, 16411, 16413, 16414, 16415, 16416, 16417, 16420,
          16421, 16422, 16423, 16424, 16425, 16426, 16427, 16428, 16429, 16430, 16431, 16432,
          1,     3,     40961, 40962, 40963, 40964, 40977, 40978, 40993, 40994, 41025, 45557,
          45558, 45559, 45560, 45645, 45655, 45657, 45658, 45659, 777})
        faults.push_back({"result" + std::to_string(code),
                          {"--result", "BEGIN_JOB=" + std::to_string(code) + ":status=7"},
                          0,
                          ResultText(code)});
    // The connection dropped at each command, and in the middle of the image.
    for (const char *command :
         {"BEGIN_JOB", "READY_BEGIN_JOB", "BEGIN_SCANPAGE", "READY_SCANPAGE", "BEGIN_GET_IMAGE"})
        faults.push_back({std::string("drop-") + command, {"--drop-at", command}, 0, kAnyBox});
    const SFault more[] = {
        // The scan server gone before the first command.
        {"server-gone",
         {"--drop-at", "CV_WebPath.txt:times=0", "--drop-at", "BEGIN_JOB:times=0"},
         0,
         kAnyBox},
        {"drop-image-start", {"--drop-at", "GET_IMAGE"}, 4, kAnyBox},
        {"drop-image-middle", {"--drop-at", "GET_IMAGE:byte=30000"}, 3, kAnyBox},
        {"short-data", {"--short-data", "5000"}, 1, kAnyBox},
        // A slow server and a storm of retries still give the page.
        {"slow", {"--delay", "BEGIN_JOB=1500", "--image-rate", "400000"}, 2, L"", -1, 1},
        {"recover-storm", {"--result", "READY_SCANPAGE=16401:recover=1:times=6"}, 4, L"", -1, 1},
        // Cancel while the job begins, while the page is awaited and while
        // the image is opened.
        {"cancel-begin", {"--ready-wait", "READY_BEGIN_JOB=100000"}, 0, L"", 800},
        {"cancel-page", {"--ready-wait", "READY_SCANPAGE=100000"}, 0, L"", 800},
        {"cancel-open", {"--delay", "BEGIN_GET_IMAGE=2500"}, 0, L"", 800},
    };
    faults.insert(faults.end(), std::begin(more), std::end(more));
    // Cancel in the middle of the image, for each output type.
    for (int type = 1; type <= 5; ++type)
        faults.push_back(
            {"cancel-image" + std::to_string(type), {"--image-rate", "150000"}, type, L"", 1500});
    faults.push_back({"after", {}, 3, L"", -1, 1});
    for (const SFault &f : faults) {
        Run(f);
        if (HasFatalFailure())
            return;
    }
}

// A cancel while the feeder's next sheet is awaited keeps the sheets
// saved before it, for each output type. The source keeps the server's
// feeder job for the next stack, which each case then puts in.
TEST_F(ScanUtilityFaults, CancelBetweenFeederSheetsKeepsTheSheetsBefore) {
    StartRun(1, 2);
    for (int type = 1; type <= 5; ++type) {
        Run({"between" + std::to_string(type),
             {"--delay", "READY_SCANPAGE=4000:after=1"},
             type,
             L"",
             2000,
             1});
        if (HasFatalFailure())
            return;
    }
    Run({"after", {}, 1, L"", -1, 2});
}

}  // namespace
