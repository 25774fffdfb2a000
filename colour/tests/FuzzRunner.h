#pragma once

#include "corvcolor.h"

#include <cstdint>
#include <functional>
#include <string>

namespace colourtest {

// Draws parameter blocks from a stream of 32-bit words (a seeded generator
// for the smoke test, the fuzzer's bytes for the fuzz target) and runs them
// through the exports with buffers of exactly the documented size, so the
// sanitizers see any access outside them.
class CFuzzRunner {
public:
    using Words = std::function<uint32_t()>;

    explicit CFuzzRunner(Words next) : next_(std::move(next)) {}

    // One random call of one export. Returns an empty string when the
    // export's answer matched the independent check of the block, else a
    // description of the mismatch.
    std::string RunOne();

    // Calls made with blocks the check accepted and refused, so a caller can
    // see that both kinds were exercised.
    int accepted = 0;
    int refused = 0;

private:
    int32_t Field(int32_t smallMin, int32_t smallMax);
    SC_PREVIEWPARAM Block();
    std::string RunPreview(int which);
    std::string RunSpot(int bytesPerPixel);

    Words next_;
};

}  // namespace colourtest
