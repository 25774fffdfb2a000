#pragma once
// The ITU-T T.4 run-length codes and T.6 mode codes, and the bit-level
// helpers shared by the Group 3 and Group 4 encoders.
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace corv::fax {

struct Code {
    uint16_t bits;  // right-aligned
    uint8_t length;
};

// Terminating codes for runs 0..63.
extern const Code kWhiteTerminating[64];
extern const Code kBlackTerminating[64];
// Make-up codes for 64, 128, ... 1728 (index run / 64 − 1).
extern const Code kWhiteMakeUp[27];
extern const Code kBlackMakeUp[27];
// Extended make-up codes for 1792, 1856, ... 2560 (index (run − 1792) / 64),
// the same for both colours.
extern const Code kExtendedMakeUp[13];

constexpr Code kEol{0x001, 12};
constexpr Code kPass{0x1, 4};
constexpr Code kHorizontal{0x1, 3};
// Vertical codes indexed by a1 − b1 + 3.
constexpr Code kVertical[7] = {{0x02, 7}, {0x02, 6}, {0x2, 3}, {0x1, 1},
                               {0x3, 3},  {0x03, 6}, {0x03, 7}};

constexpr int kMaxExtendedRun = 2560;

// Sentinels at the end of a change list, so that lookups a few entries past
// the last change still read the line length.
constexpr int kChangeSentinels = 4;

// The changing elements of a line (positions whose colour differs from the
// pixel before; the pixel before the first counts as white), followed by
// kChangeSentinels copies of `columns`. Even entries change to black.
void FindChanges(const uint8_t *line, int columns, uint8_t whiteByte, std::vector<int> &out);

// Most significant bit first into a caller's buffer. The coders copy it
// into a local for a whole line: as a member, every byte stored through
// `out` could alias it, and the compiler would reload it after each one.
struct BitWriter {
    // Codes collect here and leave 32 bits at a time, so fewer than 32 wait
    // between calls and a code (13 bits at most) never pushes one out. Bits
    // above the waiting ones are stale and never read.
    uint64_t acc = 0;
    int bits = 0;
    uint8_t *out = nullptr;
    int pos = 0;
    int capacity = 0;
    // Bytes past the capacity are dropped and counted as a failure.
    bool overflow = false;

    void Put(Code code) {
        acc = (acc << code.length) | code.bits;
        bits += code.length;
        if (bits >= 32)
            Put32();
    }

    void PutRun(int run, bool black) {
        while (run >= kMaxExtendedRun) {
            Put(kExtendedMakeUp[12]);
            run -= kMaxExtendedRun;
        }
        if (run >= 64) {
            const int makeUp = run / 64;
            if (makeUp <= 27)
                Put(black ? kBlackMakeUp[makeUp - 1] : kWhiteMakeUp[makeUp - 1]);
            else
                Put(kExtendedMakeUp[makeUp - 28]);
            run %= 64;
        }
        Put(black ? kBlackTerminating[run] : kWhiteTerminating[run]);
    }

    // Writes the whole bytes waiting; fewer than 8 bits stay.
    void DrainBytes() {
        while (bits >= 8) {
            bits -= 8;
            PutByte(static_cast<uint8_t>(acc >> bits));
        }
    }

private:
    void Put32() {
        bits -= 32;
        const uint32_t v = static_cast<uint32_t>(acc >> bits);
        if (capacity - pos >= 4) {
            uint32_t be = v;
            if constexpr (std::endian::native == std::endian::little)
                be = __builtin_bswap32(v);
            std::memcpy(out + pos, &be, 4);
            pos += 4;
            return;
        }
        for (int shift = 24; shift >= 0; shift -= 8)
            PutByte(static_cast<uint8_t>(v >> shift));
    }

    void PutByte(uint8_t byte) {
        if (pos < capacity)
            out[pos++] = byte;
        else
            overflow = true;
    }
};

}  // namespace corv::fax
