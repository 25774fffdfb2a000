// The utility's portable rules, each as a table of cases.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "DsmLocation.h"
#include "ProfileLocation.h"
#include "SourceList.h"
#include "TwainMessageText.h"

namespace {

TW_IDENTITY Identity(const char *maker, const char *family, const char *product) {
    TW_IDENTITY id{};
    std::strncpy(id.Manufacturer, maker, sizeof id.Manufacturer - 1);
    std::strncpy(id.ProductFamily, family, sizeof id.ProductFamily - 1);
    std::strncpy(id.ProductName, product, sizeof id.ProductName - 1);
    return id;
}

TEST(SourceList, KeepsOnlyOurMakerAndFamilyByteForByte) {
    struct SCase {
        const char *maker;
        const char *family;
        bool kept;
    } cases[] = {
        {"Tessaly", "Corvane QM", true},
        {"tessaly", "Corvane QM", false},
        {"TESSALY", "Corvane QM", false},
        {"Tessaly", "Corvane qm", false},
        {"Tessaly ", "Corvane QM", false},
        {"Other Maker", "Corvane QM", false},
        {"Tessaly", "", false},
        {"", "", false},
    };
    for (const SCase &c : cases) {
        CSourceList list("Tessaly", "Corvane QM");
        EXPECT_EQ(list.Offer(Identity(c.maker, c.family, "x")), c.kept)
            << c.maker << " / " << c.family;
        EXPECT_EQ(list.Entries().size(), c.kept ? 1u : 0u);
    }
}

TEST(SourceList, AFieldWithoutItsZeroIsReadToItsEndOnly) {
    CSourceList list(std::string(34, 'T'), "Corvane QM");
    TW_IDENTITY id = Identity("", "Corvane QM", "p");
    std::memset(id.Manufacturer, 'T', sizeof id.Manufacturer);
    EXPECT_TRUE(list.Offer(id));
}

TEST(SourceList, ChoosesTheNamedProductElseTheFirst) {
    struct SCase {
        std::vector<const char *> products;
        std::string saved;
        int expected;  // -1: none
    } cases[] = {
        {{"Corvane QM Network Scanner", "Second"}, "Second", 1},
        {{"Corvane QM Network Scanner", "Second"}, "", 0},
        {{"Corvane QM Network Scanner", "Second"}, "Missing", 0},
        {{"corvsrc", "Second"}, "", 0},
        {{"Second", "corvsrc"}, "", 1},
        {{"Twin", "Twin"}, "Twin", 0},
        {{"Second"}, "second", 0},
        {{}, "Second", -1},
        {{}, "", -1},
    };
    for (const SCase &c : cases) {
        CSourceList list("Tessaly", "Corvane QM");
        for (const char *p : c.products)
            list.Offer(Identity("Tessaly", "Corvane QM", p));
        const auto chosen = list.Choose(CSourceList::WantedName(c.saved, "corvsrc"));
        EXPECT_EQ(chosen ? static_cast<int>(*chosen) : -1, c.expected) << "saved " << c.saved;
    }
}

TEST(DsmLocation, AsksAgainForALongWindowsDirectory) {
    struct SCase {
        std::string dir;
        std::string expected;
    } cases[] = {
        {"C:\\WINDOWS", "C:\\WINDOWS\\TWAIN_32.DLL"},
        {std::string(245, 'w'), std::string(245, 'w') + "\\TWAIN_32.DLL"},
        {std::string(246, 'w'), std::string(246, 'w') + "\\TWAIN_32.DLL"},
        {std::string(300, 'w'), std::string(300, 'w') + "\\TWAIN_32.DLL"},
        {"", "\\TWAIN_32.DLL"},
    };
    for (const SCase &c : cases) {
        std::vector<unsigned> asked;
        const auto reader = [&](char *buffer, unsigned size) -> unsigned {
            asked.push_back(size);
            if (c.dir.empty())
                return 0;
            if (c.dir.size() >= size)
                return static_cast<unsigned>(c.dir.size() + 1);
            std::memcpy(buffer, c.dir.c_str(), c.dir.size() + 1);
            return static_cast<unsigned>(c.dir.size());
        };
        EXPECT_EQ(CDsmLocation::Path(reader), c.expected) << c.dir.size();
        ASSERT_FALSE(asked.empty());
        EXPECT_EQ(asked[0], CDsmLocation::kFirstAsk);
        EXPECT_EQ(asked.size(), c.dir.size() >= CDsmLocation::kFirstAsk ? 2u : 1u);
    }
}

// Shift_JIS: 0x81-0x9F and 0xE0-0xFC lead a character; "表" is 0x95 0x5C.
bool ShiftJisLead(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

TEST(ProfileLocation, FileNamesFromTheProgramPath) {
    const CProfileLocation paths(ShiftJisLead);
    const std::string hyo = "\x95\x5c";  // 表, its second byte a backslash
    struct SCase {
        std::string program;
        std::string beside;
        std::string defaults;
        std::string inData;
    } cases[] = {
        {"C:\\Program Files\\Corvane\\corvscan.exe", "C:\\Program Files\\Corvane\\corvscan.INI",
         "C:\\Program Files\\Corvane\\corvscan_Defaults.ini",
         "C:\\ProgramData\\Corvane QM\\corvscan.INI"},
        {"D:\\a.b\\scan.v2.exe", "D:\\a.b\\scan.v2.INI", "D:\\a.b\\scan.v2_Defaults.ini",
         "C:\\ProgramData\\Corvane QM\\scan.v2.INI"},
        {"C:\\" + hyo + "\\" + hyo + ".exe", "C:\\" + hyo + "\\" + hyo + ".INI",
         "C:\\" + hyo + "\\" + hyo + "_Defaults.ini",
         "C:\\ProgramData\\Corvane QM\\" + hyo + ".INI"},
        {"corvscan.exe", "corvscan.INI", "corvscan_Defaults.ini",
         "C:\\ProgramData\\Corvane QM\\corvscan.INI"},
        {"C:/tools/corvscan.exe", "C:/tools/corvscan.INI", "C:/tools/corvscan_Defaults.ini",
         "C:\\ProgramData\\Corvane QM\\corvscan.INI"},
        {"ab", "abINI", "ab_Defaults.ini", "C:\\ProgramData\\Corvane QM\\ab.INI"},
    };
    for (const SCase &c : cases) {
        EXPECT_EQ(paths.BesideProgram(c.program), c.beside);
        EXPECT_EQ(paths.DefaultsFile(c.program), c.defaults);
        EXPECT_EQ(paths.InDataFolder("C:\\ProgramData", "Corvane QM", c.program), c.inData);
    }
}

TEST(ProfileLocation, FolderLevelsEndAtSeparatorsOnly) {
    const CProfileLocation paths(ShiftJisLead);
    const std::string hyo = "\x95\x5c";
    struct SCase {
        std::string path;
        std::vector<std::string> levels;
    } cases[] = {
        {"C:\\ProgramData\\Corvane QM\\", {"C:\\ProgramData", "C:\\ProgramData\\Corvane QM"}},
        {"C:\\Data/Corvane QM\\", {"C:\\Data", "C:\\Data/Corvane QM"}},
        {"C:\\" + hyo + "x\\", {"C:\\" + hyo + "x"}},
        {"\\\\server\\share\\dir\\", {"\\\\server", "\\\\server\\share", "\\\\server\\share\\dir"}},
        {"C:\\no-trailing", {}},
    };
    for (const SCase &c : cases)
        EXPECT_EQ(paths.FolderLevels(c.path), c.levels) << c.path;
}

TEST(TwainMessageText, FillsTheMessagesAsPrintfAndFormatMessageWould) {
    struct SCase {
        std::wstring text;
        std::wstring expected;
        int kind;  // 0 code 4, 1 path, 2 location
    } cases[] = {
        {L"TWAIN Error.\n%d at OpenDSM", L"TWAIN Error.\n4 at OpenDSM", 0},
        {L"TWAIN Error.\n%d at CloseDSM", L"TWAIN Error.\n4 at CloseDSM", 0},
        {L"スキャナのTWAINドライバが見つかりません。", L"スキャナのTWAINドライバが見つかりません。",
         0},
        {L"%1が見つかりません。", L"C:\\WINDOWS\\TWAIN_32.DLLが見つかりません。", 1},
        {L"%1ファイルが壊れています。", L"C:\\WINDOWS\\TWAIN_32.DLLファイルが壊れています。", 1},
        {L"TWAIN Error.\nCannot get condition-code at %s(%d)",
         L"TWAIN Error.\nCannot get condition-code at ScanTwain.cpp(120)", 2},
    };
    for (const SCase &c : cases) {
        std::wstring got;
        switch (c.kind) {
            case 0:
                got = CTwainMessageText::WithCode(c.text, 4);
                break;
            case 1:
                got = CTwainMessageText::WithPath(c.text, L"C:\\WINDOWS\\TWAIN_32.DLL");
                break;
            default:
                got = CTwainMessageText::WithLocation(c.text, L"ScanTwain.cpp", 120);
                break;
        }
        EXPECT_EQ(got, c.expected);
    }
}

}  // namespace
