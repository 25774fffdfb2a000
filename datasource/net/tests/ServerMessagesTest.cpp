#include "ServerMessages.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A string table with the texts whose choice matters.
class CFakeStrings : public IStringSource {
public:
    std::wstring Load(unsigned id) const override {
        auto it = m_table.find(id);
        return it == m_table.end() ? std::wstring() : it->second;
    }
    std::map<uint32_t, std::wstring> m_table = {
        {22, L"E(%d,%d)"},
        {24, L"NOT RUNNING"},
        {16401, L"PREPARING"},
        {16420, L"FAILED \nCHECK PANEL"},
        {32768, L"CANCELLED AT SERVER"},
        {32769, L"PARAM(%0.0s%d)"},
        {22000, L"T(%d)"},
        {22002, L"T2(%d)"},
        {22031, L"T31(%d)"},
        {22032, L"SERVERS %s %s"},
        {22033, L"UNSUPPORTED"},
        {22035, L"NO SCANNER"},
        {22036, L"POWER"},
        {22045, L"MEMORY"},
        {22051, L"AUTH"},
    };
};

CServerReply Reply(int32_t result, int32_t status = 0, int32_t recover = 0) {
    CServerReply r;
    r.result = result;
    r.status = status;
    r.recover = recover;
    return r;
}

TEST(FormatMessageText, HandlesEveryConversionSafely) {
    EXPECT_EQ(FormatMessageText(L"(%0.0s%d)", {1, 77}), L"(77)");
    EXPECT_EQ(FormatMessageText(L"%d-%d", {-1, -195}), L"-1--195");
    EXPECT_EQ(FormatMessageText(L"100%% %d", {5}), L"100% 5");
    EXPECT_EQ(FormatMessageText(L"%s/%s", {std::wstring(L"a"), std::wstring(L"b")}), L"a/b");
    EXPECT_EQ(FormatMessageText(L"%d %d %s", {1}), L"1  ");
    EXPECT_EQ(FormatMessageText(L"%.2d|%5d|%x", {3, 4, 255}), L"03|    4|ff");
    EXPECT_EQ(FormatMessageText(L"%s", {7}), L"");
    EXPECT_EQ(FormatMessageText(L"%n%p%", {1}), L"%n%p%");
    EXPECT_EQ(FormatMessageText(L"%999999999d", {1}), L"");
}

TEST(StatusLine, ChoosesByResult) {
    CFakeStrings s;
    EXPECT_EQ(ChooseStatusLine(Reply(16401), s), L"PREPARING");
    EXPECT_EQ(ChooseStatusLine(Reply(16420), s), L"FAILED ");
    EXPECT_EQ(ChooseStatusLine(Reply(-1, -195), s), L"NOT RUNNING");
    EXPECT_EQ(ChooseStatusLine(Reply(-1, -3), s), L"E(-1,-3)");
    EXPECT_EQ(ChooseStatusLine(Reply(12345, 6), s), L"E(12345,6)");
    EXPECT_EQ(ChooseStatusLine(Reply(0x10000 + 16401, 1), s), L"E(81937,1)");
}

TEST(ErrorBox, TextForEveryJobResult) {
    CFakeStrings s;
    struct Case {
        int32_t job;
        uint32_t transport;
        CServerReply reply;
        const wchar_t *text;
    } cases[] = {
        {JOB_OK, 0, Reply(0), L""},
        {JOB_COMM_ERROR, 0, Reply(0), L""},
        {JOB_COMM_ERROR, 12002, Reply(0), L"T2(12002)"},
        {JOB_COMM_ERROR, 12031, Reply(16407), L"T31(12031)"},
        {JOB_COMM_ERROR, 12157, Reply(0), L"T(12157)"},
        {JOB_SERVER_ERROR, 0, Reply(16409, 0, 1), L""},
        {JOB_SERVER_ERROR, 0, Reply(16409, 0, 0), L"E(16409,0)"},
        {JOB_SERVER_ERROR, 0, Reply(-1, -197), L"CANCELLED AT SERVER"},
        {JOB_SERVER_ERROR, 0, Reply(-1, -195), L"NOT RUNNING"},
        {JOB_SERVER_ERROR, 0, Reply(-1, -5), L"E(-1,-5)"},
        {JOB_SERVER_ERROR, 0, Reply(16420, 3), L"FAILED \nCHECK PANEL"},
        {JOB_SERVER_ERROR, 0, Reply(1, 33), L"PARAM(33)"},
        {JOB_SERVER_ERROR, 0, Reply(3, 4), L"E(3,4)"},
        {JOB_SERVER_ERROR, 0, Reply(0x8000, 0), L"CANCELLED AT SERVER"},
        {JOB_UNSUPPORTED_SERVER, 0, Reply(0), L"UNSUPPORTED"},
        {JOB_NO_SCANNER_SELECTED, 0, Reply(0), L"NO SCANNER"},
        {JOB_SCANNER_POWER, 0, Reply(0), L"POWER"},
        {JOB_NO_MEMORY, 0, Reply(0), L"MEMORY"},
        {JOB_AUTH_AT_DEVICE, 0, Reply(0), L"AUTH"},
    };
    for (const Case &c : cases) {
        CErrorBoxInput in;
        in.jobResult = c.job;
        in.transportError = c.transport;
        in.reply = c.reply;
        EXPECT_EQ(ChooseErrorBoxText(in, s), c.text)
            << "job " << c.job << " result " << c.reply.result;
    }
    CErrorBoxInput servers;
    servers.jobResult = JOB_UNSUPPORTED_SERVERS;
    servers.serverName1 = L"alpha";
    servers.serverName2 = L"beta";
    EXPECT_EQ(ChooseErrorBoxText(servers, s), L"SERVERS alpha beta");
}

}  // namespace
