#include "EncoderG3.h"
#include "EncoderG4.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace corv;

namespace {

// A packed line (1 = white) from a picture string: '#' black, '.' white.
std::vector<uint8_t> Line(const std::string &pixels, int capacity = 64) {
    std::vector<uint8_t> v(std::max<size_t>(capacity, (pixels.size() + 7) / 8), 0xFF);
    for (size_t i = 0; i < pixels.size(); ++i)
        if (pixels[i] == '#')
            v[i / 8] &= static_cast<uint8_t>(~(0x80 >> (i % 8)));
    return v;
}

std::vector<uint8_t> WhiteLine(int columns, int capacity) {
    std::vector<uint8_t> v(std::max(capacity, (columns + 7) / 8), 0xFF);
    return v;
}

std::string Bits(const uint8_t *bytes, int count) {
    std::string s;
    for (int i = 0; i < count; ++i)
        for (int b = 7; b >= 0; --b)
            s += (bytes[i] >> b) & 1 ? '1' : '0';
    return s;
}

// Encodes the lines and the end call; returns every code bit.
std::string Encode(DEncoder &enc, std::vector<std::vector<uint8_t>> lines) {
    enc.Reset();
    std::string bits;
    for (auto &line : lines) {
        int n = enc.EncodeLine(line.data(), 0, static_cast<int>(line.size()));
        EXPECT_GE(n, 0);
        bits += Bits(line.data(), n);
    }
    std::vector<uint8_t> tail(64);
    int n = enc.End(tail.data(), 0, 64);
    EXPECT_GE(n, 0);
    return bits + Bits(tail.data(), n);
}

const std::string kEol = "000000000001";

}  // namespace

TEST(EncoderG3, AllWhite1728IsMakeUp1728ThenTerminatingZero) {
    DEncoderG3 enc(1728, 0, 0, 0, 0);
    std::string bits = Encode(enc, {WhiteLine(1728, 216)});
    EXPECT_EQ(bits,
              "010011011"
              "00110101"
              "0000000");
}

TEST(EncoderG3, BlackFirstPixelStartsWithAWhiteRunOfZero) {
    DEncoderG3 enc(8, 0, 0, 0, 0);
    // white 0, black 2, white 6
    EXPECT_EQ(Encode(enc, {Line("##......")}),
              "00110101"
              "11"
              "1110"
              "00");
}

TEST(EncoderG3, RunOf2600UsesTheExtendedMakeUpCode) {
    DEncoderG3 enc(2600, 0, 0, 0, 0);
    std::string bits = Encode(enc, {WhiteLine(2600, 400)});
    EXPECT_EQ(bits.substr(0, 20),
              "000000011111"
              "00101001");
}

TEST(EncoderG3, LongBlackRunsChainExtendedCodes) {
    // 5200 black: 2560, 2560, then make-up 64 and terminating 16.
    std::vector<uint8_t> line(700, 0x00);
    DEncoderG3 enc(5200, 0, 0, 0, 0);
    std::string bits = Encode(enc, {line});
    EXPECT_EQ(bits.substr(0, 8 + 24 + 10 + 10),
              "00110101"
              "000000011111"
              "000000011111"
              "0000001111"
              "0000010111");
}

TEST(EncoderG3, EolBeforeEveryLineAndRtcAtTheEnd) {
    DEncoderG3 enc(4, 0, 0, 1, 1);
    std::string bits = Encode(enc, {Line("...."), Line("....")});
    std::string white4 = "1011";
    std::string rtc;
    for (int i = 0; i < 6; ++i)
        rtc += kEol;
    std::string expect = kEol + white4 + kEol + white4 + rtc;
    expect += std::string((8 - expect.size() % 8) % 8, '0');
    EXPECT_EQ(bits, expect);
}

TEST(EncoderG3, ByteAlignedEolsEndOnByteBoundaries) {
    DEncoderG3 enc(4, 0, 1, 1, 0);
    enc.Reset();
    for (int i = 0; i < 3; ++i) {
        auto line = Line("..##");
        int n = enc.EncodeLine(line.data(), 1, 64);
        ASSERT_GE(n, 0);
        // Each line's EOL ends a byte; its runs (white 2: 0111, black 2: 11)
        // stay in the bit buffer until the next line.
        std::string bits = Bits(line.data(), n);
        EXPECT_EQ(bits.size() % 8, 0u);
        EXPECT_EQ(bits.substr(bits.size() - 12), kEol);
    }
}

TEST(EncoderG3, ByteAlignWithoutEolFlushesEveryLine) {
    DEncoderG3 enc(10, 0, 1, 0, 0);
    enc.Reset();
    auto line = Line("#.#.#.#.#.");
    int n = enc.EncodeLine(line.data(), 2, 64);
    EXPECT_GT(n, 0);
    std::vector<uint8_t> tail(8);
    EXPECT_EQ(enc.End(tail.data(), 0, 8), 0);
}

TEST(EncoderG3, WhiteIsZeroFlipsThePixelSense) {
    DEncoderG3 enc(8, 1, 0, 0, 0);
    std::vector<uint8_t> line(8, 0x00);
    line[0] = 0xC0;  // two black, six white
    EXPECT_EQ(Encode(enc, {line}),
              "00110101"
              "11"
              "1110"
              "00");
}

TEST(EncoderG3, OverflowReturnsMinusOneUntilReset) {
    DEncoderG3 enc(64, 0, 0, 0, 0);
    enc.Reset();
    auto line = Line("#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.", 8);
    EXPECT_EQ(enc.EncodeLine(line.data(), 8, 8), -1);
    auto white = WhiteLine(64, 8);
    EXPECT_EQ(enc.EncodeLine(white.data(), 8, 8), -1);
    enc.Reset();
    EXPECT_GE(enc.EncodeLine(white.data(), 8, 8), 0);
}

TEST(EncoderG4, IdenticalLinesCodeAsV0Only) {
    DEncoderG4 enc(32);
    enc.Reset();
    std::string pic = "..##....######.......#.##.......";
    auto first = Line(pic);
    ASSERT_GE(enc.EncodeLine(first.data(), 4, 64), 0);
    std::string bits;
    for (int i = 0; i < 8; ++i) {
        auto line = Line(pic);
        int n = enc.EncodeLine(line.data(), 4, 64);
        ASSERT_GE(n, 0);
        bits += Bits(line.data(), n);
    }
    // Eight changes plus the end of the line: nine V0 codes per line.
    EXPECT_EQ(bits, std::string(72, '1'));
}

TEST(EncoderG4, WhiteLineAgainstWhiteReferenceIsOneV0) {
    DEncoderG4 enc(100);
    std::string bits = Encode(enc, {WhiteLine(100, 64)});
    EXPECT_EQ(bits, "1" + kEol + kEol + "0000000");
}

TEST(EncoderG4, FirstLineCodesHorizontalAndVerticalModes) {
    DEncoderG4 enc(16);
    // Against white: a1 = 2, b1 = 16 → horizontal (white 2, black 3); then
    // a0 = 5, a1 = 16, b1 = 16 → V0.
    std::string bits = Encode(enc, {Line("..###...........")});
    EXPECT_EQ(bits.substr(0, 3 + 4 + 2 + 1),
              "001"
              "0111"
              "10"
              "1");
}

TEST(EncoderG4, PassModeWhenTheReferenceRunEndsBeforeA1) {
    DEncoderG4 enc(16);
    enc.Reset();
    auto ref = Line("..##............");
    ASSERT_GE(enc.EncodeLine(ref.data(), 2, 64), 0);
    // Coding line all white: b1 = 2, b2 = 4 < a1 = 16 → pass, then V0.
    auto line = Line("................");
    int n = enc.EncodeLine(line.data(), 2, 64);
    std::vector<uint8_t> tail(8);
    int t = enc.End(tail.data(), 0, 8);
    std::string bits = Bits(line.data(), n) + Bits(tail.data(), t);
    EXPECT_NE(bits.find("0001"
                        "1" +
                        kEol + kEol),
              std::string::npos);
}

TEST(EncoderG4, EndRefusesALine) {
    DEncoderG4 enc(16);
    enc.Reset();
    std::vector<uint8_t> buf(8, 0xFF);
    EXPECT_EQ(enc.End(buf.data(), 2, 8), -1);
}

TEST(EncoderG4, OverflowPersistsUntilReset) {
    DEncoderG4 enc(64);
    enc.Reset();
    auto busy = Line("#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.", 8);
    EXPECT_EQ(enc.EncodeLine(busy.data(), 8, 8), -1);
    auto white = WhiteLine(64, 8);
    EXPECT_EQ(enc.EncodeLine(white.data(), 8, 8), -1);
    std::vector<uint8_t> tail(8);
    EXPECT_EQ(enc.End(tail.data(), 0, 8), -1);
    enc.Reset();
    EXPECT_GE(enc.EncodeLine(white.data(), 8, 8), 0);
    EXPECT_GT(enc.End(tail.data(), 0, 8), 0);
}
