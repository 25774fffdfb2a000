// Facts about the Windows test platform that later tests rely on: the
// Japanese ANSI code page, and a real display for pixel checks.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

TEST(JapaneseCodePage, AnsiCodePageIs932) {
    EXPECT_EQ(GetACP(), 932u);
    // "日本" in Shift_JIS survives the round trip through the wide API.
    const char sjis[] = "\x93\xfa\x96\x7b";
    wchar_t wide[8] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, sjis, -1, wide, 8), 3);
    EXPECT_EQ(wide[0], 0x65e5);
    EXPECT_EQ(wide[1], 0x672c);
    EXPECT_TRUE(IsDBCSLeadByte(0x93));
}

}  // namespace
