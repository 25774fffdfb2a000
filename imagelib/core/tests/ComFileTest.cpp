#include "ImageError.h"
#include "MemoryFile.h"

#include "../../tests/RaisedCode.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using namespace corv;
using corv::test::CodeOf;

namespace {

// A memory stream that counts the raw calls the buffer layer makes.
class CountingFile : public CMemoryFile {
public:
    size_t ReadRaw(void *b, size_t n) override {
        ++reads;
        return CMemoryFile::ReadRaw(b, n);
    }
    size_t WriteRaw(const void *b, size_t n) override {
        ++writes;
        lastWrite = n;
        return CMemoryFile::WriteRaw(b, n);
    }
    int64_t SeekRaw(int64_t o, int origin) override {
        ++seeks;
        return CMemoryFile::SeekRaw(o, origin);
    }
    int reads = 0, writes = 0, seeks = 0;
    size_t lastWrite = 0;
};

std::vector<uint8_t> Ramp(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 7 + i / 256);
    return v;
}

void Fill(CMemoryFile &f, const std::vector<uint8_t> &bytes) {
    f.Open(kOpenReadWrite);
    f.WriteRaw(bytes.data(), bytes.size());
    f.SeekRaw(0, kSeekBegin);
}

}  // namespace

TEST(MemoryFile, GrowsOnWritesPastItsEnd) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    auto data = Ramp(10000);
    f.Write(data.data(), data.size());
    EXPECT_EQ(f.Size(), 10000);
    f.Seek(9990, kSeekBegin);
    f.Write(data.data(), 20);
    EXPECT_EQ(f.Size(), 10010);
}

TEST(MemoryFile, SeekPastEndRaises38) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    f.Write("abcd", 4);
    EXPECT_EQ(CodeOf([&] { f.Seek(5, kSeekBegin); }), kErrSeekOutside);
    EXPECT_EQ(CodeOf([&] { f.Seek(-1, kSeekBegin); }), kErrSeekOutside);
    EXPECT_EQ(CodeOf([&] { f.Seek(4, kSeekBegin); }), 0u);
}

TEST(MemoryFile, AttachedBlockIsNeverGrown) {
    uint8_t block[4] = {1, 2, 3, 4};
    CMemoryFile f;
    f.Attach(block, sizeof block);
    f.Open(kOpenReadWrite);
    uint8_t got[4];
    EXPECT_EQ(f.Read(got, 4), 4u);
    f.Seek(0, kSeekBegin);
    f.Write("xy", 2);
    EXPECT_EQ(block[0], 'x');
    f.Seek(3, kSeekBegin);
    EXPECT_EQ(CodeOf([&] { f.Write("ab", 2); }), kErrNoMemory);
}

TEST(MemoryFile, ResetAndRemoveDropTheBlock) {
    CMemoryFile f(16);
    EXPECT_FALSE(f.Exists());
    f.Open(kOpenRead);
    EXPECT_TRUE(f.Exists());
    EXPECT_EQ(f.Size(), 16);
    f.Remove();
    EXPECT_FALSE(f.Exists());
    EXPECT_EQ(f.Size(), 0);
    f.Reset(8);
    EXPECT_EQ(f.Size(), 8);
    EXPECT_EQ(f.Kind(), 4);
    EXPECT_STREQ(f.NameA(), "CMemoryFile");
    EXPECT_STREQ(f.NameW(), L"CMemoryFile");
}

TEST(MemoryFile, SetLengthClipsThePosition) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    f.Write("0123456789", 10);
    f.SetLength(4);
    EXPECT_EQ(f.Size(), 4);
    EXPECT_EQ(f.Tell(), 4);
    f.SetLength(6);
    EXPECT_EQ(f.Length(), 6);
}

TEST(ComFile, OperationsOnAClosedStreamRaise2) {
    CMemoryFile f;
    char c;
    EXPECT_EQ(CodeOf([&] { f.Read(&c, 1); }), kErrNotOpen);
    EXPECT_EQ(CodeOf([&] { f.Write(&c, 1); }), kErrNotOpen);
    EXPECT_EQ(CodeOf([&] { f.Tell(); }), kErrNotOpen);
    EXPECT_EQ(CodeOf([&] { f.Seek(0, kSeekBegin); }), kErrNotOpen);
    f.SetBuffer(4096);
    EXPECT_EQ(CodeOf([&] { f.Write(&c, 1); }), kErrNotOpen);
}

TEST(ComFile, BadModeOrOriginRaises87) {
    CMemoryFile f;
    EXPECT_EQ(CodeOf([&] { f.Open(0); }), kErrInvalidArg);
    EXPECT_EQ(CodeOf([&] { f.Open(4); }), kErrInvalidArg);
    f.Open(kOpenReadWrite);
    EXPECT_EQ(CodeOf([&] { f.Seek(0, 0); }), kErrInvalidArg);
    EXPECT_EQ(CodeOf([&] { f.Seek(0, 4); }), kErrInvalidArg);
    f.SetBuffer(2048);
    EXPECT_EQ(CodeOf([&] { f.Seek(0, 7); }), kErrInvalidArg);
}

TEST(ComFile, SetBufferWholeFileHasAFloorOf16K) {
    CMemoryFile small(5000), large(100000);
    small.Open(kOpenRead);
    large.Open(kOpenRead);
    small.SetBuffer(-1);
    large.SetBuffer(-1);
    EXPECT_EQ(small.BufferSize(), 16384u);
    EXPECT_EQ(large.BufferSize(), 100000u);
    small.SetBuffer(0);
    EXPECT_EQ(small.BufferSize(), 0u);
    small.SetBuffer(-5);
    EXPECT_EQ(small.BufferSize(), 0u);
}

TEST(ComFile, SeekInsideReadBytesDoesNotTouchTheFile) {
    CountingFile f;
    auto data = Ramp(10000);
    Fill(f, data);
    f.SetBuffer(4096);
    uint8_t got[100];
    f.Read(got, 100);
    int reads = f.reads, seeks = f.seeks;
    f.Seek(10, kSeekBegin);
    f.Seek(50, kSeekCurrent);
    EXPECT_EQ(f.Tell(), 60);
    f.Seek(4000, kSeekBegin);
    EXPECT_EQ(f.reads, reads);
    EXPECT_EQ(f.seeks, seeks);
    f.Read(got, 10);
    EXPECT_EQ(got[0], data[4000]);
    EXPECT_EQ(f.reads, reads);
    f.Seek(5000, kSeekBegin);
    EXPECT_EQ(f.seeks, seeks + 1);
    f.Read(got, 1);
    EXPECT_EQ(got[0], data[5000]);
}

TEST(ComFile, SmallReadsRefillOneBufferAtATime) {
    CountingFile f;
    auto data = Ramp(10000);
    Fill(f, data);
    f.SetBuffer(1024);
    std::vector<uint8_t> got(10000);
    size_t total = 0;
    for (size_t i = 0; i < 10000; i += 100)
        total += f.Read(got.data() + i, 100);
    EXPECT_EQ(total, 10000u);
    EXPECT_EQ(got, data);
    EXPECT_EQ(f.reads, 10);
    uint8_t extra;
    EXPECT_EQ(f.Read(&extra, 1), 0u);
}

TEST(ComFile, LargeReadOfExhaustedBufferGoesStraightToTheFile) {
    CountingFile f;
    auto data = Ramp(10000);
    Fill(f, data);
    f.SetBuffer(1024);
    std::vector<uint8_t> got(10000);
    EXPECT_EQ(f.Read(got.data(), 5000), 5000u);
    EXPECT_EQ(f.reads, 1);
    EXPECT_EQ(f.Read(got.data() + 5000, 5000), 5000u);
    EXPECT_EQ(got, data);
    EXPECT_EQ(f.Tell(), 10000);
}

TEST(ComFile, WritesCollectUntilTheBufferIsFull) {
    CountingFile f;
    f.Open(kOpenReadWrite);
    f.SetBuffer(1024);
    auto data = Ramp(3000);
    for (size_t i = 0; i < 3000; i += 100)
        f.Write(data.data() + i, 100);
    EXPECT_EQ(f.writes, 2);
    EXPECT_EQ(f.Tell(), 3000);
    f.Flush();
    EXPECT_EQ(f.writes, 3);
    EXPECT_EQ(f.lastWrite, 3000u - 2048u);
    EXPECT_EQ(std::vector<uint8_t>(f.Data(), f.Data() + 3000), data);
}

TEST(ComFile, LargeWriteWithEmptyBufferGoesStraightToTheFile) {
    CountingFile f;
    f.Open(kOpenReadWrite);
    f.SetBuffer(1024);
    auto data = Ramp(5000);
    f.Write(data.data(), 10);
    f.Write(data.data() + 10, 4990);
    // 1014 bytes top the buffer up, the remaining 3976 go out in one call.
    EXPECT_EQ(f.writes, 2);
    EXPECT_EQ(f.lastWrite, 3976u);
    EXPECT_EQ(f.Size(), 5000);
}

TEST(ComFile, WriteAfterReadLandsAtTheLogicalPosition) {
    CMemoryFile f;
    auto data = Ramp(5000);
    Fill(f, data);
    f.SetBuffer(1024);
    uint8_t got[10];
    f.Read(got, 10);
    f.Write("XYZ", 3);
    EXPECT_EQ(f.Tell(), 13);
    f.Read(got, 2);
    EXPECT_EQ(got[0], data[13]);
    f.Seek(0, kSeekBegin);
    f.Read(got, 10);
    f.Read(got, 3);
    EXPECT_EQ(got[0], 'X');
    EXPECT_EQ(got[2], 'Z');
}

TEST(ComFile, SeekWhileWritingFlushesFirst) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    f.SetBuffer(4096);
    f.Write("abcdefgh", 8);
    f.Seek(2, kSeekBegin);
    f.Write("XY", 2);
    f.Seek(0, kSeekEnd);
    EXPECT_EQ(f.Tell(), 8);
    f.Flush();
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(f.Data()), 8), "abXYefgh");
}

TEST(ComFile, SeekCurrentInReadModeCountsFromTheLogicalPosition) {
    CMemoryFile f;
    auto data = Ramp(20000);
    Fill(f, data);
    f.SetBuffer(1024);
    uint8_t b;
    f.Read(&b, 1);
    f.Seek(5000, kSeekCurrent);
    EXPECT_EQ(f.Tell(), 5001);
    f.Read(&b, 1);
    EXPECT_EQ(b, data[5001]);
    f.Seek(-2, kSeekEnd);
    EXPECT_EQ(f.Tell(), 19998);
}

TEST(ComFile, WordsSwapOnlyForTheOtherByteOrder) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    uint16_t w[2] = {0x1234, 0xABCD};
    uint32_t l[1] = {0x01020304};
    f.Write16(w, 2, false);
    f.Write32(l, 1, false);
    ByteOrder other = HostByteOrder() == ByteOrder::Little ? ByteOrder::Big : ByteOrder::Little;
    f.SetOrder(other);
    f.Write16(w, 2, false);
    EXPECT_EQ(w[0], 0x1234);
    f.Write32(l, 1, true);
    EXPECT_EQ(l[0], 0x04030201u);
    f.Seek(0, kSeekBegin);
    f.SetOrder(HostByteOrder());
    uint16_t r[4];
    uint32_t r32;
    EXPECT_EQ(f.Read16(r, 2), 2u);
    EXPECT_EQ(f.Read32(&r32, 1), 1u);
    EXPECT_EQ(r[0], 0x1234);
    EXPECT_EQ(r32, 0x01020304u);
    f.SetOrder(other);
    f.Read16(r, 2);
    EXPECT_EQ(r[1], 0xABCD);
}
