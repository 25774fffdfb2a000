#include "CommandBody.h"
#include "ClientSystemText.h"
#include "FormEscaper.h"

#include <gtest/gtest.h>

namespace {

struct EscapeCase {
    const char *name;
    std::string in;
    std::string out;
};

void PrintTo(const EscapeCase &c, std::ostream *os) {
    *os << c.name;
}

class FormEscape : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(FormEscape, EscapesOnlyWhatTheServerCannotTakeRaw) {
    EXPECT_EQ(EscapeFormValue(GetParam().in, CLeadByteTable::CodePage932()), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormEscape,
    ::testing::Values(EscapeCase{"AmpersandEscapedSpaceRaw", "a&b c", "a%26b c"},
                      EscapeCase{"Reserved", "%=+&", "%25%3D%2B%26"},
                      EscapeCase{"ControlAndDelete", std::string("\x01\x1f\x7f", 3), "%01%1F%7F"},
                      EscapeCase{"HighSingleByteKatakana", "\xb1", "%B1"},
                      // "ア" in code page 932 is 0x83 0x41: the trail byte is a plain 'A'.
                      EscapeCase{"DoubleByteTrailIsAscii", "\x83\x41x", "%83%41x"},
                      EscapeCase{"DoubleByteTrailIsReserved", "\x81\x26", "%81%26"},
                      EscapeCase{"LeadByteAtEnd", "a\x88", "a%88"},
                      EscapeCase{"PlainKept", "User.Name-1_~!*'()", "User.Name-1_~!*'()"},
                      EscapeCase{"Empty", "", ""}),
    [](const auto &info) { return info.param.name; });

TEST(CommandBody, BeginJobHasEveryFieldInOrderAndEndsWithAmpersand) {
    CScanRequestParams f;
    f.PaperPlace = 1;
    f.ScanFace = 2;
    f.ColorMode = 3;
    f.Resolution = 4;
    f.InputMediumSize = 5;
    f.ImageWidth = 2100;
    f.ImageHeight = 2970;
    f.InputMediumMix = 1;
    f.Brightness = -2;
    f.Contrast = 3;
    f.Saturation = 4;
    f.Sharpness = 5;
    f.EnableBackgroundElimination = 1;
    f.BleedthroughRemoval = 0;
    f.Photographs = 1;
    f.ImageMode = 2;
    f.Isotropic = 141;
    f.EdgeErase = 7;
    f.OutputMediumSize = 9;
    std::string body = BuildBeginJobBody(f, "WinNTService Pack 2(5.1.2600)", "a&b c", "p=w",
                                         CLeadByteTable::CodePage932());
    EXPECT_EQ(body,
              "X_PROTOCOL=120&X_COMMAND=BEGIN_JOB&X_CLIENT=2-WinNTService Pack 2(5.1.2600)"
              "&X_USERNAME=a%26b c&X_PASSWORD=p%3Dw&X_PAPER_PLACE=1&X_SCAN_FACE=2"
              "&X_COLOR_MODE=3&X_RESOLUTION=4&X_INPUTMEDIUMSIZE=5&X_IMAGE_WIDTH=2100"
              "&X_IMAGE_HEIGHT=2970&X_INPUTMEDIUMMIX=1&X_BRIGHTNESS=-2&X_CONTRAST=3"
              "&X_SATURATION=4&X_SHARPNESS=5&X_ENABLEBACKGROUNDELIMINATION=1"
              "&X_BLEEDTHROUGHREMOVAL=0&X_PHOTOGRAPHS=1&X_IMAGE_MODE=2&X_ISOTROPIC=141"
              "&X_EDGEERASE=7&X_OUTPUTMEDIUMSIZE=9&");
}

TEST(CommandBody, SessionCommandsAndGetImage) {
    EXPECT_EQ(BuildSessionCommandBody(cmd::kReadyBeginJob, 42),
              "X_PROTOCOL=120&X_COMMAND=READY_BEGIN_JOB&X_SESSION=42");
    EXPECT_EQ(BuildSessionCommandBody(cmd::kCancelGetImage, -1),
              "X_PROTOCOL=120&X_COMMAND=CANCEL_GET_IMAGE&X_SESSION=-1");
    EXPECT_EQ(BuildGetImageBody(7, 0, 104000000),
              "X_PROTOCOL=120&X_COMMAND=GET_IMAGE&X_SESSION=7&X_PLANE=0&X_START_BYTE=0"
              "&X_REQUIRE_BYTE=104000000");
}

TEST(CommandBody, HeaderTextIsByteExact) {
    EXPECT_EQ(BuildCommandHeaders("Japanese"),
              "Content-Type: application/x-www-form-urlencoded\r\nPragma: no-chace\r\n"
              "X-VELT-Language: Japanese\r\n");
}

TEST(CommandBody, CommandPathComesFromTheFirstLineOnly) {
    EXPECT_EQ(CommandPathFromWebPath("CGI_PATH=/cgi/\r\n"), "/cgi/scanner.dll");
    EXPECT_EQ(CommandPathFromWebPath("CGI_PATH=/a=b/"), "/a=b/scanner.dll");
    EXPECT_EQ(CommandPathFromWebPath("CGI_PATH="), "scanner.dll");
    EXPECT_EQ(CommandPathFromWebPath("OTHER=1\nCGI_PATH=/cgi/"), "");
    EXPECT_EQ(CommandPathFromWebPath("CGI_PATHX=/cgi/"), "");
    EXPECT_EQ(CommandPathFromWebPath(""), "");
}

TEST(ClientSystemText, PrefixByPlatform) {
    COsVersion v{true, 2, 5, 1, 2600, "Service Pack 2"};
    EXPECT_EQ(FormatClientSystemText(v), "WinNTService Pack 2(5.1.2600)");
    v = {true, 1, 4, 0, 950, " C"};
    EXPECT_EQ(FormatClientSystemText(v), "Win95 C(4.0.950)");
    v = {true, 1, 4, 10, 2222, " A"};
    EXPECT_EQ(FormatClientSystemText(v), "Win98 A(4.10.2222)");
    v = {true, 0, 3, 11, 0, ""};
    EXPECT_EQ(FormatClientSystemText(v), "Win32s(3.11.0)");
    EXPECT_EQ(FormatClientSystemText(COsVersion{}), "Windows");
}

}  // namespace
