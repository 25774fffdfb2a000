#include "PackBits.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace corv;

namespace {

std::vector<uint8_t> Pack(const std::vector<uint8_t> &in) {
    std::vector<uint8_t> out(PackBitsBound(in.size()));
    out.resize(PackBitsRow(in.data(), in.size(), out.data()));
    return out;
}

std::vector<uint8_t> Unpack(const std::vector<uint8_t> &in) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < in.size();) {
        int n = static_cast<int8_t>(in[i++]);
        if (n >= 0) {
            out.insert(out.end(), in.begin() + i, in.begin() + i + n + 1);
            i += n + 1;
        } else if (n != -128) {
            out.insert(out.end(), 1 - n, in[i++]);
        }
    }
    return out;
}

}  // namespace

TEST(PackBits, RunsOfTwoOrMoreReplicate) {
    EXPECT_EQ(Pack({5, 5}), (std::vector<uint8_t>{0xFF, 5}));
    EXPECT_EQ(Pack({1, 2, 3}), (std::vector<uint8_t>{2, 1, 2, 3}));
    EXPECT_EQ(Pack({1, 2, 2, 3}), (std::vector<uint8_t>{0, 1, 0xFF, 2, 0, 3}));
}

TEST(PackBits, RunsAndLiteralsStopAt128) {
    auto out = Pack(std::vector<uint8_t>(300, 9));
    EXPECT_EQ(out, (std::vector<uint8_t>{0x81, 9, 0x81, 9, 0xD5, 9}));
    std::vector<uint8_t> lit(200);
    for (size_t i = 0; i < lit.size(); ++i)
        lit[i] = static_cast<uint8_t>(i);
    out = Pack(lit);
    EXPECT_EQ(out[0], 127);
    EXPECT_EQ(out[129], 71);
    EXPECT_EQ(out.size(), 202u);
}

TEST(PackBits, WorstCasePatternStaysInsideTheBound) {
    std::vector<uint8_t> in;
    for (int i = 0; i < 999; ++i)
        in.push_back(static_cast<uint8_t>(i % 3 == 0 ? i : i - i % 3 + 1));
    auto out = Pack(in);
    EXPECT_LE(out.size(), PackBitsBound(in.size()));
    EXPECT_EQ(Unpack(out), in);
}

TEST(PackBits, RandomRowsRoundTrip) {
    std::mt19937 rng(3);
    for (int t = 0; t < 200; ++t) {
        std::vector<uint8_t> in(rng() % 700);
        for (auto &b : in)
            b = static_cast<uint8_t>(rng() % 3);
        auto out = Pack(in);
        EXPECT_LE(out.size(), PackBitsBound(in.size()));
        EXPECT_EQ(Unpack(out), in);
    }
}
