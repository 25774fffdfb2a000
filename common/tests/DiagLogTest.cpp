#include "DiagLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class DiagLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / (std::string("corvlog_") + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "diag.log").string();
    }
    void TearDown() override {
        CDiagLog::Instance().Close();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    static std::string Read(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
    std::string path_;
};

const std::regex kLine(R"(\(\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d\)(.*)\r\n)");

TEST_F(DiagLogTest, WithoutOpenFileNothingIsWrittenOrCreated) {
    WriteLog("hello %d", 1);
    CDiagLog log;
    EXPECT_EQ(log.WriteLine("direct\r\n"), -1);
    EXPECT_FALSE(fs::exists(path_));
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(DiagLogTest, LineCarriesTimePrefixAndCrLf) {
    ASSERT_TRUE(CDiagLog::Instance().Open(path_));
    WriteLog("STATE%d %s", 6, "ready");
    std::string text = Read(path_);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, kLine)) << text;
    EXPECT_EQ(m[1].str(), "STATE6 ready");
}

TEST_F(DiagLogTest, EmptyMessageWritesNothingNotEvenTheTime) {
    ASSERT_TRUE(CDiagLog::Instance().Open(path_));
    WriteLog("%s", "");
    EXPECT_EQ(fs::file_size(path_), 0u);
}

TEST_F(DiagLogTest, AppendsToAnExistingFile) {
    { std::ofstream(path_, std::ios::binary) << "old\r\n"; }
    ASSERT_TRUE(CDiagLog::Instance().Open(path_));
    WriteLog("new");
    std::string text = Read(path_);
    ASSERT_EQ(text.substr(0, 5), "old\r\n");
    EXPECT_TRUE(std::regex_match(text.substr(5), kLine));
}

TEST_F(DiagLogTest, LongMessageIsLoggedWhole) {
    ASSERT_TRUE(CDiagLog::Instance().Open(path_));
    std::string big(5000, 'x');
    WriteLog("%s|", big.c_str());
    std::smatch m;
    std::string text = Read(path_);
    ASSERT_TRUE(std::regex_match(text, m, kLine));
    EXPECT_EQ(m[1].str(), big + "|");
}

TEST_F(DiagLogTest, CrossingOneMebibyteMovesTheFileToBak) {
    CDiagLog log;
    ASSERT_TRUE(log.Open(path_));
    const std::string chunk(1000, 'a');
    int64_t size = 0;
    int lines = 0;
    while (size <= CDiagLog::kRotateSize) {
        size = log.WriteLine(chunk + "\r\n");
        ASSERT_GT(size, 0);
        ++lines;
    }
    // The write that crossed the limit is kept in the backup.
    EXPECT_EQ(static_cast<int64_t>(fs::file_size(path_ + ".bak")), size);
    EXPECT_EQ(fs::file_size(path_), 0u);
    EXPECT_TRUE(log.IsEnabled());

    log.WriteLine("next\r\n");
    std::smatch m;
    std::string text = Read(path_);
    ASSERT_TRUE(std::regex_match(text, m, kLine));
    EXPECT_EQ(m[1].str(), "next");
    EXPECT_GT(lines, 1000);
}

TEST_F(DiagLogTest, SecondRotationReplacesTheOlderBackup) {
    CDiagLog log;
    ASSERT_TRUE(log.Open(path_));
    const std::string chunk(100000, 'b');
    for (int rotations = 0; rotations < 2;) {
        if (log.WriteLine(chunk) > CDiagLog::kRotateSize)
            ++rotations;
    }
    log.WriteLine("after\r\n");
    auto bak = fs::file_size(path_ + ".bak");
    EXPECT_GT(bak, static_cast<uintmax_t>(CDiagLog::kRotateSize));
    EXPECT_LT(bak, static_cast<uintmax_t>(CDiagLog::kRotateSize + 200000));
    EXPECT_NE(Read(path_).find("after"), std::string::npos);
}

TEST_F(DiagLogTest, FailedOpenLeavesLoggingOff) {
    CDiagLog log;
    EXPECT_FALSE(log.Open((dir_ / "missing" / "diag.log").string()));
    EXPECT_FALSE(log.IsEnabled());
    EXPECT_EQ(log.WriteLine("x\r\n"), -1);
}

TEST_F(DiagLogTest, SwitchFileTurnsLoggingOn) {
    const std::string name = "corvlog_switch_test.log";
    const std::string switchPath = CLogFile::SwitchPath(name.c_str());
    ASSERT_FALSE(switchPath.empty());
    fs::remove(switchPath);

    CDiagLog log;
    EXPECT_FALSE(log.OpenIfSwitchedOn(name.c_str()));
    EXPECT_FALSE(fs::exists(switchPath));

    { std::ofstream(switchPath, std::ios::binary); }
    EXPECT_TRUE(log.OpenIfSwitchedOn(name.c_str()));
    log.WriteLine("on\r\n");
    log.Close();
    EXPECT_NE(Read(switchPath).find(")on\r\n"), std::string::npos);
    fs::remove(switchPath);
}

}  // namespace
