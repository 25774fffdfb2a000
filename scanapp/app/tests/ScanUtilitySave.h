// What the end-to-end runs of saving share: corvscan.exe under Wine with
// Wine's source manager, our source and the simulator, the save dialog
// answered as a user would, and every file's pages listed beside it for
// the check by decoders we did not write (saved_pages_check.sh).
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ScanUtilityFixture.h"
#include "SimJobState.h"

// Where the files go, in the build tree, for the native check afterwards.
inline std::wstring OutFolder() {
    std::wstring folder = CORV_SAVE_OUT;
    for (wchar_t &c : folder)
        if (c == L'/')
            c = L'\\';
    return folder;
}

inline std::wstring Wide(const std::string &s) {
    return std::wstring(s.begin(), s.end());
}

inline std::string Narrow(const std::wstring &s) {
    return std::string(s.begin(), s.end());
}

inline std::string ReadFile(const std::wstring &path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::wstring &path, const std::string &bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

// The files of a case's folder.
inline std::set<std::string> FilesIn(const std::wstring &folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(Narrow(found.cFileName));
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return names;
}

// The server's job is over, or was told the user cancelled (a feeder job
// then stays with the source, for the next stack, until the dialog closes).
inline bool JobEnded(int session) {
    const auto job = CSimJobState::Of(session);
    if (!job)
        return false;
    bool cancelled = false;
    for (const std::string &command : job->commands)
        cancelled = cancelled || command.rfind("CANCEL_", 0) == 0;
    return !job->open || cancelled;
}

class ScanUtilitySave : public CScanUtilityFixture {
protected:
    // A small custom page keeps each run short; 787 pixels a row at
    // 200 dpi is not a multiple of four, so the server pads every row.
    void Start(const std::vector<std::string> &scenario, int colorMode, int sheets,
               const std::vector<std::pair<std::string, std::string>> &profile = {}) {
        SScanSetup setup;
        setup.paperPlace = sheets > 0 ? 1 : 0;
        setup.colorMode = colorMode;
        setup.mediumSize = 2;
        setup.password = m_serverPassword;
        std::vector<std::string> all = scenario;
        all.insert(all.end(), {"--feeder-sheets", std::to_string(sheets > 0 ? sheets : 1)});
        Prepare(all, setup);
        m_folder = OutFolder() + L"\\" +
                   Wide(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ::CreateDirectoryW(OutFolder().c_str(), nullptr);
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        for (const std::string &name : FilesIn(m_folder))
            ::DeleteFileW((m_folder + L"\\" + Wide(name)).c_str());
        auto keys = profile;
        keys.push_back({"Startup", "1"});
        CUtilityRun::WriteProfile(keys);
        ASSERT_TRUE(m_run.Start());
        m_source = WaitForSourceDialog(m_run);
        ASSERT_NE(m_source, nullptr);
        m_sessionBefore = CSimJobState::LastSession();
    }

    // Scan, and the save dialog answered.
    void ScanAndSave(const std::wstring &name, int type, bool askOptions = false) {
        CUtilityRun::Press(m_source, IDOK);
        HWND save = m_run.WaitForSaveDialog(kWindowTimeoutMs);
        ASSERT_NE(save, nullptr);
        CUtilityRun::AnswerSaveDialog(save, m_folder + L"\\" + name, type, askOptions);
    }

    // The overwrite question after `answered` earlier ones.
    HWND Question(int answered) {
        if (!CUtilityRun::WaitForLog("overwrite", answered, kWindowTimeoutMs))
            return nullptr;
        return m_run.WaitForDialog(L"上書き確認", kWindowTimeoutMs);
    }

    bool WaitForSaved() { return CUtilityRun::WaitForLog("saving done", 1, kScanTimeoutMs); }

    // The job the scan ran, ended by the time the utility is done.
    std::optional<CSimJobState> Job() {
        const int session = CSimJobState::LastSession();
        if (session <= m_sessionBefore)
            return std::nullopt;
        CUtilityRun::WaitFor(
            [&] { return m_jobsKept ? JobEnded(session) : !CSimulatorClient::JobOpen(session); },
            kWindowTimeoutMs);
        return CSimJobState::Of(session);
    }

    // `file` page `index` must hold sheet `sheet` of the job: the sheet's
    // rows without the server's padding go beside it for the check.
    void Expect(const std::string &file, int index, int sheet, bool lossy) {
        const auto job = Job();
        ASSERT_TRUE(job.has_value());
        ASSERT_LE(sheet, static_cast<int>(job->pages.size()));
        const SSimPageRecord &page = job->pages[sheet - 1];
        const std::string sent = CSimulatorClient::Page(job->session, sheet);
        const int samples = page.mode == 0 ? 3 : 1;
        const size_t row = static_cast<size_t>(page.width) * samples;
        ASSERT_EQ(sent.size(), static_cast<size_t>(page.stride) * page.height);
        std::string rows;
        for (int y = 0; y < page.height; ++y)
            rows.append(sent, static_cast<size_t>(y) * page.stride, row);
        const std::string raw = file + "." + std::to_string(index) + ".expected";
        WriteFile(m_folder + L"\\" + Wide(raw), rows);
        std::ofstream list((OutFolder() + L"\\manifest.txt").c_str(), std::ios::app);
        list << Narrow(m_folder.substr(OutFolder().size() + 1)) << "/" << file << '\t' << index
             << '\t' << raw << '\t' << page.width << '\t' << page.height << '\t'
             << (samples == 3 ? "rgb" : "gray") << '\t' << (lossy ? "psnr" : "exact") << '\n';
    }

    void ExpectFiles(const std::set<std::string> &names) {
        std::set<std::string> files;
        for (const std::string &f : FilesIn(m_folder))
            if (f.find(".expected") == std::string::npos)
                files.insert(f);
        EXPECT_EQ(files, names);
    }

    // The utility can scan again at once: the source's dialog is back.
    void ExpectReadyAgain() {
        EXPECT_TRUE(CUtilityRun::WaitFor([&] { return ::IsWindowEnabled(m_source) != FALSE; },
                                         kWindowTimeoutMs));
        EXPECT_TRUE(m_run.MessageBoxes().empty());
    }

    void TearDown() override {
        if (m_source && ::IsWindow(m_source)) {
            CUtilityRun::Press(m_source, IDCANCEL);
            CUtilityRun::WaitForLog("closeDSM", 2, kWindowTimeoutMs);
        }
        if (const HWND main = m_run.MainWindow())
            ::PostMessageW(main, WM_COMMAND, 32772, 0);
        EXPECT_EQ(m_run.WaitForExit(kWindowTimeoutMs), 0u);
    }

    CUtilityRun m_run;
    HWND m_source = nullptr;
    std::wstring m_folder;
    int m_sessionBefore = 0;
    // Feeder jobs cancelled between sheets stay with the source.
    bool m_jobsKept = false;
    std::string m_serverPassword;
};
