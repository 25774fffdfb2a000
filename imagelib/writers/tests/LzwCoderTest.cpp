#include "LzwCoder.h"
#include "MemoryFile.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace corv;

namespace {

// A plain TIFF LZW decoder (early change), written from the format's
// description, to read back what the coder wrote.
struct Decoded {
    std::vector<uint8_t> bytes;
    std::vector<std::pair<int, int>> codes;  // code, width
};

Decoded Decode(const std::vector<uint8_t> &in) {
    Decoded d;
    std::vector<std::vector<uint8_t>> table;
    auto reset = [&] {
        table.assign(258, {});
        for (int i = 0; i < 256; ++i)
            table[i] = {static_cast<uint8_t>(i)};
    };
    reset();
    size_t bitPos = 0;
    int width = 9;
    int prev = -1;
    for (;;) {
        if (bitPos + width > in.size() * 8)
            break;
        int code = 0;
        for (int i = 0; i < width; ++i, ++bitPos)
            code = (code << 1) | ((in[bitPos / 8] >> (7 - bitPos % 8)) & 1);
        d.codes.push_back({code, width});
        if (code == 257)
            break;
        if (code == 256) {
            reset();
            width = 9;
            prev = -1;
            continue;
        }
        std::vector<uint8_t> entry;
        if (code < static_cast<int>(table.size())) {
            entry = table[code];
            if (prev >= 0) {
                auto added = table[prev];
                added.push_back(entry[0]);
                table.push_back(added);
            }
        } else {
            entry = table[prev];
            entry.push_back(entry[0]);
            table.push_back(entry);
        }
        d.bytes.insert(d.bytes.end(), entry.begin(), entry.end());
        prev = code;
        if (table.size() + 1 >= (1u << width) && width < 12)
            ++width;
    }
    return d;
}

std::vector<uint8_t> Compress(LzwCoder *coder, const std::vector<uint8_t> &data) {
    CMemoryFile f;
    f.Open(kOpenReadWrite);
    size_t n = CompressStrip(coder, data.data(), data.size(), f);
    EXPECT_EQ(static_cast<int64_t>(n), f.Size());
    return {f.Data(), f.Data() + n};
}

}  // namespace

TEST(LzwCoder, OneByteStripIsClearByteEoiIn27Bits) {
    LzwCoderPtr coder(CreateCoder(kLzwHashSize));
    auto out = Compress(coder.get(), {0x41});
    // 100000000 001000001 100000001, padded to 32 bits.
    EXPECT_EQ(out, (std::vector<uint8_t>{0x80, 0x10, 0x60, 0x20}));
}

TEST(LzwCoder, CodeWidthGrowsAfterCode511AndResetsAfter4095) {
    // Random bytes add a table entry with nearly every code.
    std::vector<uint8_t> data(20000);
    std::mt19937 rng(7);
    for (auto &b : data)
        b = static_cast<uint8_t>(rng());
    LzwCoderPtr coder(CreateCoder(kLzwHashSize));
    auto out = Compress(coder.get(), data);
    Decoded d = Decode(out);
    EXPECT_EQ(d.bytes, data);
    ASSERT_GT(d.codes.size(), 4000u);
    // Code k (k ≥ 1 after Clear) is emitted in the step that assigns 257 + k.
    EXPECT_EQ(d.codes[0], std::make_pair(256, 9));
    EXPECT_EQ(d.codes[254].second, 9);   // assigns 511
    EXPECT_EQ(d.codes[255].second, 10);  // the first code after it
    // The code that assigns 4095 is followed by a 12-bit Clear and 9-bit codes.
    EXPECT_EQ(d.codes[3838].second, 12);
    EXPECT_EQ(d.codes[3839], std::make_pair(256, 12));
    EXPECT_EQ(d.codes[3840].second, 9);
}

uint32_t Fnv1a(const std::vector<uint8_t> &bytes) {
    uint32_t h = 2166136261u;
    for (uint8_t b : bytes)
        h = (h ^ b) * 16777619u;
    return h;
}

// Each input with the hash of its pinned code bytes: the decoder shows the
// codes are right, the hash that not one bit of the stream has moved.
TEST(LzwCoder, RoundTripsRepetitiveAndMixedData) {
    LzwCoderPtr coder(CreateCoder(kLzwHashSize));
    std::vector<uint8_t> mixed;
    for (int i = 0; i < 50000; ++i)
        mixed.push_back(static_cast<uint8_t>((i / 37) % 5 == 0 ? i * 31 : i / 100));
    // A grainy ramp, as a scanned photo reaches the coder: short matches
    // and many table resets.
    std::vector<uint8_t> grain(300000);
    std::mt19937 rng(3);
    for (size_t i = 0; i < grain.size(); ++i)
        grain[i] = static_cast<uint8_t>((i % 4960) * 200 / 4960 + rng() % 4);
    const struct {
        std::vector<uint8_t> in;
        uint32_t hash;
    } cases[] = {
        {std::vector<uint8_t>(100000, 0xFF), 1191351353u},
        {{1, 2}, 872018991u},
        {{}, 2166136261u},
        {mixed, 576835203u},
        {grain, 2192907708u},
    };
    for (const auto &c : cases) {
        auto out = Compress(coder.get(), c.in);
        EXPECT_EQ(Fnv1a(out), c.hash) << c.in.size() << " bytes";
        if (c.in.empty()) {
            EXPECT_TRUE(out.empty());
            continue;
        }
        Decoded d = Decode(out);
        EXPECT_EQ(d.bytes, c.in);
        EXPECT_EQ(d.codes.back().first, 257);
    }
}

TEST(LzwCoder, StripsAreIndependent) {
    LzwCoderPtr coder(CreateCoder(kLzwHashSize));
    std::vector<uint8_t> a(3000, 7), b = {9, 9, 9};
    Compress(coder.get(), a);
    auto first = Compress(coder.get(), b);
    LzwCoderPtr fresh(CreateCoder(kLzwHashSize));
    EXPECT_EQ(first, Compress(fresh.get(), b));
}
