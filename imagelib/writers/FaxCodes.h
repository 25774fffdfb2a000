#pragma once
// The ITU-T T.4 run-length codes and T.6 mode codes, and the bit-level
// helpers shared by the Group 3 and Group 4 encoders.
#include <cstdint>
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

// First position in [start, end) whose bit differs from the run being
// followed, or `end`. `flip` is XORed into each byte so that the bits of
// the followed colour read as 0.
int FindChange(const uint8_t *line, int start, int end, uint8_t flip);

// Sentinels at the end of a change list, so that lookups a few entries past
// the last change still read the line length.
constexpr int kChangeSentinels = 4;

// The changing elements of a line (positions whose colour differs from the
// pixel before; the pixel before the first counts as white), followed by
// kChangeSentinels copies of `columns`. Even entries change to black.
void FindChanges(const uint8_t *line, int columns, uint8_t whiteByte, std::vector<int> &out);

}  // namespace corv::fax
