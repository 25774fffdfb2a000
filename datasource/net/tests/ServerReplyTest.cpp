#include "CommandBody.h"
#include "ServerReply.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParseLeadingInt, ReadsLikeTheServerExpects) {
    struct {
        const char *in;
        int32_t out;
    } cases[] = {{"0", 0},
                 {"42", 42},
                 {"-195", -195},
                 {"16409\r", 16409},
                 {"12abc", 12},
                 {"abc", 0},
                 {"", 0},
                 {"  7", 7},
                 {"+5", 5},
                 {"-", 0},
                 {"99999999999", INT32_MAX},
                 {"-99999999999", INT32_MIN},
                 {"2147483647", INT32_MAX},
                 {"-2147483648", INT32_MIN}};
    for (const auto &c : cases)
        EXPECT_EQ(ParseLeadingInt(c.in), c.out) << c.in;
}

TEST(ParseReplyText, SplitsAtTheFirstEqualsAndIgnoresTheRest) {
    CServerReply r;
    ParseReplyText("Y_RESULT=0\r\nY_READY=2=3\r\nnoise\r\nY_UNKNOWN=9\r\n=5\r\nY_STATUS=-7", r,
                   cmd::kReadyScanPage);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.ready, 2);
    EXPECT_EQ(r.status, -7);
}

TEST(ParseReplyText, BeginJobWithoutSessionLeavesMinusOne) {
    CServerReply r;
    r.session = 55;
    ParseReplyText("Y_RESULT=0\r\n", r, cmd::kBeginJob);
    EXPECT_EQ(r.session, -1);
    ParseReplyText("Y_RESULT=0\r\nY_SESSION=12\r\nY_SCAN_AUTHENTIC=1\r\n", r, cmd::kBeginJob);
    EXPECT_EQ(r.session, 12);
    EXPECT_EQ(r.scanAuthentic, 1);
}

TEST(ParseReplyText, OnlyRecoverAndTheSessionOutliveANewAttempt) {
    CServerReply r;
    ParseReplyText("Y_RESULT=0\nY_SESSION=7\n", r, cmd::kBeginJob);
    ParseReplyText(
        "Y_RESULT=16401\nY_STATUS=3\nY_RECOVER=1\nY_READY=1\nY_PIXEL_WIDTH=9\n"
        "Y_PIXEL_HEIGHT=8\nY_COLOR_MODE=2\n",
        r, cmd::kReadyScanPage);
    r.dataByte = 500;
    r.rowBytes = 40;
    r.ClearForAttempt();
    ParseReplyText("Y_RESULT=16401\n", r, cmd::kReadyScanPage);
    EXPECT_EQ(r.result, 16401);
    EXPECT_EQ(r.recover, 1);
    EXPECT_EQ(r.session, 7);
    const int32_t cleared[] = {r.status,    r.ready,    r.pixelWidth, r.pixelHeight,
                               r.colorMode, r.dataByte, r.rowBytes,   r.scanAuthentic};
    for (int32_t v : cleared)
        EXPECT_EQ(v, 0);
}

TEST(ParseReplyText, KeysACommandDoesNotReadAreIgnored) {
    CServerReply r;
    ParseReplyText("Y_PIXEL_WIDTH=100\nY_SESSION=9\nY_ROWBYTES=5\n", r, cmd::kReadyBeginJob);
    EXPECT_EQ(r.pixelWidth, 0);
    EXPECT_EQ(r.session, -1);
    EXPECT_EQ(r.rowBytes, 0);
    ParseReplyText("Y_PIXEL_WIDTH=100\nY_PIXEL_HEIGHT=200\n", r, cmd::kReadyScanPage);
    EXPECT_EQ(r.pixelWidth, 100);
    EXPECT_EQ(r.pixelHeight, 200);
}

// Feeds a reply in pieces of every size to check the framing does not
// depend on how the bytes arrive.
TEST(ImageReplyReader, StopsRightAfterImageDataWhateverThePieceSize) {
    const std::string reply =
        "Y_RESULT=0\r\nY_STATUS=0\r\nY_DATA_BYTE=6\r\nY_IMAGE_DATA=\x01=\n\r\xffZ";
    const size_t headerLen = reply.find("Y_IMAGE_DATA=") + 13;
    for (size_t piece = 1; piece <= reply.size(); ++piece) {
        CServerReply r;
        CImageReplyReader reader(r);
        size_t pos = 0;
        while (pos < reply.size() && !reader.AtImageData())
            pos += reader.Feed(reply.data() + pos, std::min(piece, reply.size() - pos));
        ASSERT_TRUE(reader.AtImageData()) << piece;
        EXPECT_EQ(pos, headerLen) << piece;
        EXPECT_EQ(r.dataByte, 6);
    }
}

TEST(ImageReplyReader, ReplyWithoutImageDataIsNotData) {
    CServerReply r;
    CImageReplyReader reader(r);
    std::string reply = "Y_RESULT=0\r\nY_DATA_BYTE=0\r\n";
    EXPECT_EQ(reader.Feed(reply.data(), reply.size()), reply.size());
    EXPECT_FALSE(reader.AtImageData());
    EXPECT_EQ(r.dataByte, 0);
}

TEST(ImageReplyReader, TakesOnlyItsFourKeys) {
    CServerReply r;
    CImageReplyReader reader(r);
    std::string reply = "Y_RESULT=16401\nY_RECOVER=1\nY_SESSION=3\nY_READY=2\nY_IMAGE_DATA=";
    reader.Feed(reply.data(), reply.size());
    EXPECT_EQ(r.result, 16401);
    EXPECT_EQ(r.recover, 1);
    EXPECT_EQ(r.session, -1);
    EXPECT_EQ(r.ready, 0);
}

TEST(ImageReplyReader, EndlessKeyOrValueIsMalformed) {
    for (std::string reply : {std::string(1000, 'K'), "Y_RESULT=" + std::string(1000, '1')}) {
        CServerReply r;
        CImageReplyReader reader(r);
        reader.Feed(reply.data(), reply.size());
        EXPECT_EQ(reader.GetState(), CImageReplyReader::State::Malformed);
    }
}

}  // namespace
