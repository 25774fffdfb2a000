#include "MemoryFile.h"
#include "TIFFTagWriter.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace corv;

TEST(TIFFTagWriter, InsertKeepsTheChainSortedByTag) {
    CTIFFTagWriter *head = nullptr;
    for (uint16_t tag : {279, 254, 296, 256, 273, 256})
        head = CTIFFTagWriter::InsertSorted(head, new CTIFFTagWriter(tag, kTiffLong, 1));
    std::vector<uint16_t> tags;
    for (auto *t = head; t; t = t->NextTag())
        tags.push_back(t->Tag());
    EXPECT_EQ(tags, (std::vector<uint16_t>{254, 256, 256, 273, 279, 296}));
    EXPECT_EQ(head->Count(), 6);
    head->DeleteChain();
}

TEST(TIFFTagWriter, ValuesByType) {
    CTIFFTagWriter s(258, kTiffShort, 3), l(273, kTiffLong, 1), r(282, kTiffRational, 1),
        other(999, 2, 4);
    EXPECT_EQ(s.Value()->Count(), 3u);
    EXPECT_EQ(other.Value(), nullptr);
    EXPECT_FALSE(s.FitsInEntry());
    EXPECT_TRUE(l.FitsInEntry());
    EXPECT_FALSE(r.FitsInEntry());
    EXPECT_EQ(s.OutOfLineBytes(), 6u);
    EXPECT_EQ(r.OutOfLineBytes(), 8u);
    EXPECT_EQ(s.ValueOffset(), 0xFFFFFFFFu);
    EXPECT_TRUE(CTIFFTagWriter(258, kTiffShort, 2).FitsInEntry());
    EXPECT_FALSE(CTIFFTagWriter(273, kTiffLong, 2).FitsInEntry());
}

TEST(TIFFTagWriter, SetPastTheEndIsOutOfRange) {
    CTIFFTagWriter t(273, kTiffLong, 2);
    t.Set(1, 5);
    try {
        t.Set(2, 5);
        FAIL();
    } catch (const std::out_of_range &e) {
        EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }
}

TEST(TIFFTagWriter, EntriesAreLeftJustifiedOrOffsets) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    CTIFFTagWriter s(259, kTiffShort, 1), r(282, kTiffRational, 1), other(1, 7, 1);
    s.Set(0, 4);
    r.Set(0, 300);
    r.SetValueOffset(0x1234);
    s.WriteEntry(f);
    r.WriteEntry(f);
    other.WriteEntry(f);
    r.WriteValue(f);
    s.WriteValue(f);
    const uint8_t expect[] = {
        0x03, 0x01, 3, 0, 1, 0, 0, 0, 4,    0,    0, 0,  // Compression = 4
        0x1A, 0x01, 5, 0, 1, 0, 0, 0, 0x34, 0x12, 0, 0,  // XResolution at 0x1234
        0x2C, 0x01, 0, 0, 1, 0, 0, 0,                    // 300/1
    };
    ASSERT_EQ(f.Size(), static_cast<int64_t>(sizeof expect));
    EXPECT_EQ(0, memcmp(f.Data(), expect, sizeof expect));
}
