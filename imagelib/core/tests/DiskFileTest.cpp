#include "DiskFile.h"
#include "ImageError.h"

#include "../../tests/TempPath.h"

#include "../../tests/RaisedCode.h"

#include <gtest/gtest.h>

using namespace corv;
using corv::test::CodeOf;
using corv::test::ScopedPath;

namespace {

// Win32 codes the disk stream reports on both platforms.
constexpr uint32_t kFileNotFound = 2;

}  // namespace

TEST(DiskFile, OpenCreatesAMissingFileWithoutTruncatingAnExistingOne) {
    ScopedPath p("open.bin");
    auto f = NewDiskFile(p.path.c_str());
    EXPECT_FALSE(f->Exists());
    f->Open(kOpenReadWrite);
    f->Write("hello world", 11);
    f->CloseFile();
    EXPECT_EQ(f->Size(), 11);
    f->Open(kOpenReadWrite);
    f->Write("J", 1);
    f->CloseFile();
    EXPECT_EQ(corv::test::ReadAll(p.path).size(), 11u);
    EXPECT_EQ(f->Kind(), 3);
    EXPECT_STREQ(f->NameA(), p.path.c_str());
}

TEST(DiskFile, OpenExistingOnAMissingFileRaisesFileNotFound) {
    ScopedPath p("missing.bin");
    auto f = NewDiskFile(p.path.c_str());
    EXPECT_EQ(CodeOf([&] { f->OpenExisting(kOpenRead); }), kFileNotFound);
    EXPECT_FALSE(f->IsOpen());
    EXPECT_EQ(f->Size(), 0);
}

TEST(DiskFile, BadOpenModeRaises87) {
    ScopedPath p("mode.bin");
    auto f = NewDiskFile(p.path.c_str());
    EXPECT_EQ(CodeOf([&] { f->Open(5); }), kErrInvalidArg);
    EXPECT_FALSE(f->Exists());
}

TEST(DiskFile, CreateTruncates) {
    ScopedPath p("create.bin");
    corv::test::WriteAll(p.path, {1, 2, 3});
    auto f = NewDiskFile(p.path.c_str());
    f->Create();
    EXPECT_TRUE(f->Exists());
    EXPECT_EQ(f->Size(), 0);
    EXPECT_FALSE(f->IsOpen());
}

TEST(DiskFile, RemoveClosesAnOpenFileFirst) {
    ScopedPath p("remove.bin");
    auto f = NewDiskFile(p.path.c_str());
    f->Open(kOpenWrite);
    f->SetBuffer(4096);
    f->Write("pending", 7);
    f->Remove();
    EXPECT_FALSE(f->IsOpen());
    EXPECT_FALSE(corv::test::FileExists(p.path));
}

TEST(DiskFile, BufferedWritesReachTheFileOnClose) {
    ScopedPath p("buffered.bin");
    std::vector<uint8_t> data(70000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i ^ (i >> 8));
    {
        auto f = NewDiskFile(p.path.c_str());
        f->Open(kOpenReadWrite);
        f->SetBuffer(8192);
        for (size_t i = 0; i < data.size(); i += 700)
            f->Write(data.data() + i, 700);
        f->Seek(4, kSeekBegin);
        uint32_t patch = 0xDEADBEEF;
        f->Write32(&patch, 1, false);
        EXPECT_EQ(f->Length(), 70000);
        f->CloseFile();
    }
    auto got = corv::test::ReadAll(p.path);
    ASSERT_EQ(got.size(), data.size());
    EXPECT_EQ(got[4], 0xEF);
    EXPECT_TRUE(std::equal(got.begin() + 8, got.end(), data.begin() + 8));
}

TEST(DiskFile, BufferedReadAndSeek) {
    ScopedPath p("read.bin");
    std::vector<uint8_t> data(100000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 13);
    corv::test::WriteAll(p.path, data);
    auto f = NewDiskFile(p.path.c_str());
    f->OpenExisting(kOpenRead);
    f->SetBuffer(-1);
    EXPECT_EQ(f->BufferSize(), 100000u);
    uint8_t b[16];
    f->Seek(99990, kSeekBegin);
    EXPECT_EQ(f->Read(b, 16), 10u);
    EXPECT_EQ(b[0], data[99990]);
    f->Seek(-50000, kSeekCurrent);
    EXPECT_EQ(f->Tell(), 50000);
    f->Read(b, 1);
    EXPECT_EQ(b[0], data[50000]);
}

TEST(DiskFile, SetLengthCutsTheFile) {
    ScopedPath p("length.bin");
    auto f = NewDiskFile(p.path.c_str());
    f->Open(kOpenReadWrite);
    f->SetBuffer(1024);
    f->Write("0123456789", 10);
    f->SetLength(3);
    EXPECT_EQ(f->Length(), 3);
    f->CloseFile();
    EXPECT_EQ(corv::test::ReadAll(p.path).size(), 3u);
}
