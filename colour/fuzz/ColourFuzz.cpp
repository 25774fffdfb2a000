// libFuzzer entry: the fuzzer's bytes drive the same block generator as the
// smoke test; a mismatch with the independent check aborts the run.
#include "FuzzRunner.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    size_t pos = 0;
    colourtest::CFuzzRunner runner([&] {
        uint32_t w = 0;
        const size_t n = size - pos < 4 ? size - pos : 4;
        std::memcpy(&w, data + pos, n);
        pos += n;
        return w;
    });
    const std::string problem = runner.RunOne();
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
