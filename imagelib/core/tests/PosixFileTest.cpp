// Native-only behaviour of CPosixFile: renaming and the Win32 codes that
// stand in for errno values.
#include "ImageError.h"
#include "PosixFile.h"

#include "../../tests/RaisedCode.h"
#include "../../tests/TempPath.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace corv;
using corv::test::CodeOf;
using corv::test::ScopedPath;

TEST(PosixFile, ErrnoMapsToWin32Codes) {
    struct {
        int err;
        uint32_t code;
    } rows[] = {{ENOENT, 2},  {ENOTDIR, 3},  {EACCES, 5},  {EBADF, 6},  {EROFS, 19},
                {EEXIST, 80}, {ENOSPC, 112}, {EINVAL, 87}, {ENOMEM, 8}, {EIO, 31}};
    for (const auto &r : rows)
        EXPECT_EQ(Win32CodeFromErrno(r.err), r.code) << r.err;
}

TEST(PosixFile, MissingFolderRaisesFileNotFound) {
    ScopedPath p("dir");
    CPosixFile f((p.path + "/no/such.bin").c_str());
    EXPECT_EQ(CodeOf([&] { f.Open(kOpenWrite); }), 2u);
}

TEST(PosixFile, RenameTakesTheNewName) {
    ScopedPath from("from.bin"), to("to.bin");
    CPosixFile f(from.path.c_str());
    f.Create();
    f.RenameA(to.path.c_str());
    EXPECT_STREQ(f.NameA(), to.path.c_str());
    EXPECT_TRUE(f.Exists());
    EXPECT_FALSE(corv::test::FileExists(from.path));
}

TEST(PosixFile, WideNameDecodesUtf8) {
    CPosixFile f("/tmp/\xe3\x82\xb9\xe3\x82\xad\xe3\x83\xa3\xe3\x83\xb3.tif");
    EXPECT_STREQ(f.NameW(), L"/tmp/\u30b9\u30ad\u30e3\u30f3.tif");
}
