// Favourite files and the names the saving dialog accepts.
#include <gtest/gtest.h>

#include "FavoriteFile.h"
#include "FavoriteInfo.h"
#include "FavoriteName.h"
#include "MemoryProfile.h"

namespace {

// Bytes in code page 932: ASCII and half-width katakana one, the rest two.
size_t Cp932Bytes(std::wstring_view text) {
    size_t bytes = 0;
    for (wchar_t c : text)
        bytes += (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
    return bytes;
}

TEST(FavoriteName, ChecksInTheSavingDialogsOrder) {
    const std::wstring kanji13(13, L'\u6F22');  // 26 bytes
    struct Row {
        std::wstring name;
        std::wstring comment;
        EFavoriteEntry result;
        std::wstring kept;
    };
    const Row rows[] = {
        {L"", L"", EFavoriteEntry::EmptyName, L""},
        {L"  office A4\u3000 ", L"", EFavoriteEntry::Accepted, L"office A4"},
        {L"\u3000標準 ", L"", EFavoriteEntry::ReservedName, L"標準"},
        {L"<現在の設定>", L"", EFavoriteEntry::ReservedName, L"<現在の設定>"},
        {std::wstring(27, L'a'), L"", EFavoriteEntry::Accepted, std::wstring(27, L'a')},
        {std::wstring(28, L'a'), L"", EFavoriteEntry::NameLength, std::wstring(28, L'a')},
        {kanji13 + L"a", L"", EFavoriteEntry::Accepted, kanji13 + L"a"},
        {kanji13 + L"\u6F22", L"", EFavoriteEntry::NameLength, kanji13 + L"\u6F22"},
        {std::wstring(27, L'\uFF71'), L"", EFavoriteEntry::Accepted, std::wstring(27, L'\uFF71')},
        {L"  \u3000 ", L"", EFavoriteEntry::NameLength, L""},
        {L"a/b", L"", EFavoriteEntry::InvalidName, L"a/b"},
        {L"a\\b", L"", EFavoriteEntry::InvalidName, L"a\\b"},
        {L"what?", L"", EFavoriteEntry::InvalidName, L"what?"},
        {L"x\"y", L"", EFavoriteEntry::InvalidName, L"x\"y"},
        {L"<a>", L"", EFavoriteEntry::InvalidName, L"<a>"},
        {L"a|b:c*", L"", EFavoriteEntry::InvalidName, L"a|b:c*"},
        {L"ok", std::wstring(255, L'c'), EFavoriteEntry::Accepted, L"ok"},
        {L"ok", std::wstring(256, L'c'), EFavoriteEntry::CommentLength, L"ok"},
        {L"ok", std::wstring(128, L'\u6F22'), EFavoriteEntry::CommentLength, L"ok"},
        {L"ok", std::wstring(127, L'\u6F22'), EFavoriteEntry::Accepted, L"ok"},
    };
    for (const Row &r : rows) {
        const auto check =
            CFavoriteName::Check(r.name, r.comment, {L"標準", L"<現在の設定>"}, Cp932Bytes);
        EXPECT_EQ(check.result, r.result) << r.name.size() << " " << r.comment.size();
        EXPECT_EQ(check.name, r.kept);
    }
}

TEST(FavoriteInfo, FileRoundTripAndTheSettingsItStandsFor) {
    // Written and read back: every key, in file order, with one decimal for lengths.
    CScanSettings s = CScanSettings::Standard();
    s.ColorMode = 2;
    s.Brightness = -3;
    s.Contrast = -2;
    s.InputMediumSize = 2;
    s.InputMediumCustomWidth = 210.25;
    s.Magnification = 3;
    s.MagnificationAuto = 5;
    s.MagnificationZoom = 150;
    s.EdgeErase = 7.5;
    s.Photographs = -1;
    s.Format = 4;
    CFavoriteInfo f = CFavoriteInfo::FromSettings(s);
    f.Name = "office";
    f.Comment = "A4 \x8a\xbf";  // a double-byte character in code page 932
    EXPECT_EQ(f.ColorMode, 2);
    EXPECT_EQ(f.Brightness, 0);  // the list position of code -3
    EXPECT_EQ(f.Contrast, 4);
    EXPECT_EQ(f.InputMediumSize, 27);
    EXPECT_EQ(f.MagnificationAuto, 2);
    EXPECT_EQ(f.Photographs, 0);
    CMemoryProfile file;
    ASSERT_TRUE(f.Save(file));
    EXPECT_EQ(file.writes, static_cast<int>(CFavoriteInfo::Keys().size()));
    EXPECT_EQ(file.At("favorite", "InputMediumCustomWidth"), "210.2");
    EXPECT_EQ(file.At("favorite", "EdgeErase"), "7.5");
    EXPECT_EQ(file.At("favorite", "Brightness"), "0");
    CFavoriteInfo back = CFavoriteInfo::Load(file);
    f.InputMediumCustomWidth = 210.2;
    EXPECT_EQ(back, f);
    CScanSettings applied = CScanSettings::Standard();
    back.ApplyTo(applied);
    s.InputMediumCustomWidth = 210.2;
    s.Photographs = 0;
    EXPECT_EQ(applied, s);

    // An empty, damaged or hand-edited file gives the read defaults and
    // never a position outside a list.
    CMemoryProfile damaged;
    damaged.Write("favorite", "ColorMode", "99");
    damaged.Write("favorite", "Brightness", "-7");
    damaged.Write("favorite", "EdgeErase", "abc");
    damaged.Write("favorite", "Resolution", "2 dpi");
    damaged.Write("favorite", "Name", std::string(400, 'n'));
    const CFavoriteInfo read = CFavoriteInfo::Load(damaged);
    EXPECT_EQ(read.Name.size(), 259u);
    EXPECT_EQ(read.InputMediumCustomHeight, 100);
    EXPECT_EQ(read.EdgeErase, 0);
    EXPECT_EQ(read.Resolution, 2);
    CScanSettings fromDamaged = CScanSettings::Standard();
    read.ApplyTo(fromDamaged);
    EXPECT_EQ(fromDamaged.ColorMode, CScanSettings::Standard().ColorMode);
    EXPECT_EQ(fromDamaged.Brightness, CScanSettings::Standard().Brightness);
    EXPECT_EQ(CFavoriteInfo::Load(CMemoryProfile()).EdgeErase, 2);
}

TEST(FavoriteFile, OnlyWholeFavouritesAreRead) {
    CFavoriteInfo f = CFavoriteInfo::FromSettings(CScanSettings::Standard());
    f.Name = "\x8a\xbf office";  // a double-byte character in code page 932
    f.Comment = "  \"quoted\" ";
    f.ColorMode = 2;
    f.InputMediumCustomHeight = 297.5;
    f.EdgeErase = 12.5;
    f.Correction = 1;
    const std::string text = CFavoriteFile::Text(f);
    ASSERT_TRUE(
        text.starts_with("[favorite]\r\nName=\x8a\xbf office\r\nComment=\"  \"quoted\" \"\r\n"));
    ASSERT_TRUE(text.ends_with("Correction=1\r\n"));
    const std::string lastKey = "Correction=1\r\n";

    struct Row {
        const char *what;
        std::string bytes;
        EFavoriteFile status;
    };
    const Row rows[] = {
        {"as written", text, EFavoriteFile::Read},
        {"hand edited: LF, blanks, case, comments, another section first",
         "[Other]\nName=x\n; note\n [FAVORITE] \n" +
             std::string(text.substr(12)).insert(0, "  colormode = 1 \r\n"),
         EFavoriteFile::Read},
        {"cut inside the last line", text.substr(0, text.size() - lastKey.size() + 9),
         EFavoriteFile::MissingKey},
        {"cut after half", text.substr(0, text.size() / 2), EFavoriteFile::MissingKey},
        {"empty", "", EFavoriteFile::NoSection},
        {"another section only", "[Settings]\nName=a\n", EFavoriteFile::NoSection},
        {"UTF-16", std::string("[\0f\0", 4) + text, EFavoriteFile::NotText},
        {"too large", text + std::string(CFavoriteFile::kMaxBytes, ';'), EFavoriteFile::TooLarge},
        {"number as text", text.substr(0, text.size() - lastKey.size()) + "Correction=yes\r\n",
         EFavoriteFile::BadNumber},
        {"impossible length", "[favorite]\r\nEdgeErase=1e300\r\n" + text.substr(12),
         EFavoriteFile::BadNumber},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const CFavoriteFile::SRead read = CFavoriteFile::Read(row.bytes);
        EXPECT_EQ(read.status, row.status);
        if (row.status == EFavoriteFile::Read && row.bytes == text) {
            EXPECT_EQ(read.favorite, f);
        }
    }
    // The first of a repeated key counts, as with the system's reader.
    EXPECT_EQ(CFavoriteFile::Read(rows[1].bytes).favorite.ColorMode, 1);
    // A text that would break its line is not written at all.
    f.Comment = "two\nlines";
    EXPECT_EQ(CFavoriteFile::Text(f), "");
}

}  // namespace
