// A fixed-seed stream of random parameter blocks through all six exports;
// run under the sanitizers it doubles as a bounded fuzz session.
#include "FuzzRunner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace {

TEST(FuzzSmoke, RandomBlocksAreAnsweredSafely) {
    std::mt19937 rng(20261208);
    colourtest::CFuzzRunner runner([&rng] { return static_cast<uint32_t>(rng()); });
    int failures = 0;
    for (int i = 0; i < 5000 && failures < 10; ++i) {
        const std::string problem = runner.RunOne();
        if (!problem.empty()) {
            ADD_FAILURE() << "iteration " << i << ": " << problem;
            ++failures;
        }
    }
    // Both kinds of block must be common, or the run proves little.
    EXPECT_GT(runner.accepted, 1000);
    EXPECT_GT(runner.refused, 500);
    std::printf("%d accepted, %d refused\n", runner.accepted, runner.refused);
}

}  // namespace
