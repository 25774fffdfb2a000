// Win32-only behaviour of CWinFile: sharing, renaming, Win32 error codes.
#include "ImageError.h"
#include "WinFile.h"

#include "../../tests/RaisedCode.h"
#include "../../tests/TempPath.h"

#include <gtest/gtest.h>

using namespace corv;
using corv::test::CodeOf;
using corv::test::ScopedPath;

namespace {
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorSharingViolation = 32;
}  // namespace

TEST(WinFile, OpenSharesNothing) {
    ScopedPath p("share.bin");
    CWinFile a(p.path.c_str()), b(p.path.c_str());
    a.Open(kOpenReadWrite);
    EXPECT_EQ(CodeOf([&] { b.Open(kOpenRead); }), kErrorSharingViolation);
}

TEST(WinFile, ReadOnlyOpenExistingSharesReading) {
    ScopedPath p("shareread.bin");
    corv::test::WriteAll(p.path, {1, 2, 3});
    CWinFile a(p.path.c_str()), b(p.path.c_str());
    a.OpenExisting(kOpenRead);
    EXPECT_EQ(CodeOf([&] { b.OpenExisting(kOpenRead); }), 0u);
    uint8_t got[3];
    EXPECT_EQ(b.Read(got, 3), 3u);
}

TEST(WinFile, MissingFileAndFolderGiveTheirWin32Codes) {
    ScopedPath p("absent.bin");
    CWinFile f(p.path.c_str());
    EXPECT_EQ(CodeOf([&] { f.OpenExisting(kOpenRead); }), kErrorFileNotFound);
    CWinFile g((p.path + "\\no\\such.bin").c_str());
    EXPECT_EQ(CodeOf([&] { g.Open(kOpenWrite); }), kErrorPathNotFound);
    EXPECT_EQ(CodeOf([&] { f.Remove(); }), kErrorFileNotFound);
}

TEST(WinFile, RenameTakesTheNewName) {
    ScopedPath from("from.bin"), to("to.bin");
    CWinFile f(from.path.c_str());
    f.Create();
    f.RenameA(to.path.c_str());
    EXPECT_STREQ(f.NameA(), to.path.c_str());
    EXPECT_TRUE(f.Exists());
    EXPECT_FALSE(corv::test::FileExists(from.path));
}

TEST(WinFile, WideNameIsKept) {
    CWinFile f(L"C:\\temp\\a.tif");
    EXPECT_STREQ(f.NameW(), L"C:\\temp\\a.tif");
    EXPECT_STREQ(f.NameA(), "C:\\temp\\a.tif");
}
