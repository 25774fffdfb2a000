// The source's Scan button running a real job against the scan server
// simulator, with the server address and port taken from the settings
// files as a user's configuration gives them.
#include "DsTestSupport.h"

#include "ModuleStrings_win.h"
#include "SettingsLocator_win.h"
#include "SimulatorClient.h"
#include "core/SourceScanJob.h"

#include <string>
#include <vector>

namespace {

class DsScan : public DsTest {
protected:
    void SetUp() override {
        DsTest::SetUp();
        ASSERT_NE(CSimulatorClient::Port(), 0) << "simulator not running";
        ASSERT_TRUE(CSimulatorClient::SetScenario({}));
        TheApp().SetScanJobFactory(&CSourceScanJob::Create);
        Configure("127.0.0.1", CSimulatorClient::Port());
    }
    // What the server dialog and the "Debug" section would hold.
    static void Configure(const char *server, int port) {
        CModuleStrings strings(GetModuleHandleW(nullptr));
        const std::wstring folder = CSettingsLocator::UserFolder(strings);
        ASSERT_TRUE(CSettingsLocator::CreateFolder(folder));
        const std::wstring ini = folder + L"\\PrivteSettings.Ini";
        ASSERT_TRUE(WritePrivateProfileStringW(
            L"Settings", L"Server", std::wstring(server, server + strlen(server)).c_str(),
            ini.c_str()));
        ASSERT_TRUE(WritePrivateProfileStringW(L"Settings", L"Resolution", L"0", ini.c_str()));
        ASSERT_TRUE(WritePrivateProfileStringW(L"Debug", L"http port",
                                               std::to_wstring(port).c_str(), ini.c_str()));
    }
    std::vector<std::string> Commands() {
        std::vector<std::string> out;
        for (const auto &r : CSimulatorClient::Requests())
            if (!r.command.empty() && r.command != "HEART_BEAT_JOB")
                out.push_back(r.command);
        return out;
    }
};

TEST_F(DsScan, ScanButtonRunsTheJobToTheFirstPageAndCloseEndsIt) {
    Reach(500);
    Click(IDOK);
    EXPECT_EQ(State(), 600u);
    auto calls = Notifications();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].MSG, MSG_XFERREADY);
    EXPECT_EQ(Commands(),
              (std::vector<std::string>{"BEGIN_JOB", "READY_BEGIN_JOB", "BEGIN_SCANPAGE",
                                        "READY_SCANPAGE", "BEGIN_GET_IMAGE"}));
    EXPECT_TRUE(m_boxes.empty());

    Click(IDCANCEL);
    EXPECT_EQ(State(), 500u);
    auto cmds = Commands();
    ASSERT_GE(cmds.size(), 2u);
    EXPECT_EQ(cmds[cmds.size() - 2], "CANCEL_GET_IMAGE");
    EXPECT_EQ(cmds.back(), "END_JOB");
}

TEST_F(DsScan, UnreachableServerShowsTheTransportErrorAndStaysInState5) {
    // Port 1 on the loopback address: nothing listens there.
    Configure("127.0.0.1", 1);
    Reach(500);
    Click(IDOK);
    EXPECT_EQ(State(), 500u);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_NE(m_boxes[0].find(L"（"), std::wstring::npos) << "transport text with its code";
    EXPECT_TRUE(Notifications().empty());
}

}  // namespace
