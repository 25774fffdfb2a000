#include <gtest/gtest.h>

#include <string>

#include "PasswordScrambler.h"

namespace {

using P = CPasswordScrambler;

TEST(PasswordScrambler, KnownVectors) {
    const struct {
        std::string clear, stored;
    } cases[] = {
        {"", ""}, {"A", "Ih"}, {"ab", "KjLn"}, {std::string(1, '\0'), "Mm"}, {"\xFF", "Bm"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(P::Scramble(c.clear), c.stored);
        EXPECT_EQ(P::Unscramble(c.stored), c.clear);
    }
}

TEST(PasswordScrambler, EveryByteRoundTripsAndIsStoredAsPlainLetters) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        all += one;
        EXPECT_EQ(P::Unscramble(P::Scramble(one)), one) << b;
        EXPECT_EQ(P::Unscramble(P::Scramble("x" + one + "y")), "x" + one + "y") << b;
    }
    const std::string stored = P::Scramble(all);
    ASSERT_EQ(stored.size(), 512u);
    for (char c : stored) {
        // Every stored byte lies in '@'..'O' or '`'..'o': safe in any code page.
        EXPECT_TRUE((c >= 0x40 && c <= 0x4F) || (c >= 0x60 && c <= 0x6F)) << int(c);
    }
    EXPECT_EQ(P::Unscramble(stored), all);
}

TEST(PasswordScrambler, ClearTextNeverShowsAndAnUnpairedTailIsDropped) {
    const std::string secret = "Kennwort-2026";
    EXPECT_EQ(P::Scramble(secret).find(secret), std::string::npos);
    EXPECT_EQ(P::Unscramble("Ihx"), "A");
    EXPECT_EQ(P::Unscramble("I"), "");
}

}  // namespace
