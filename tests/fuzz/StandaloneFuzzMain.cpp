// Runs a libFuzzer-style target without libFuzzer, for the gcc and
// sanitizer builds: every file named on the command line, then a fixed
// number of pseudo-random inputs derived from them by simple mutations.
// Deterministic (fixed seed), so a failure here reproduces exactly.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

std::vector<uint8_t> ReadFile(const char *path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void Mutate(std::vector<uint8_t> &d, std::mt19937 &rng) {
    const int kind = static_cast<int>(rng() % 5);
    const size_t pos = d.empty() ? 0 : rng() % d.size();
    switch (kind) {
        case 0:  // flip a byte
            if (!d.empty())
                d[pos] ^= static_cast<uint8_t>(1u << (rng() % 8));
            break;
        case 1:  // insert random bytes
            d.insert(d.begin() + static_cast<long>(pos), rng() % 8 + 1,
                     static_cast<uint8_t>(rng()));
            break;
        case 2:  // erase a range
            if (!d.empty())
                d.erase(d.begin() + static_cast<long>(pos),
                        d.begin() + static_cast<long>(std::min(d.size(), pos + rng() % 16 + 1)));
            break;
        case 3:  // interesting byte
        {
            static const uint8_t kBytes[] = {0, 0xff, '=', '\n', '\r', '-', '9', 0x80, 0x7f};
            if (!d.empty())
                d[pos] = kBytes[rng() % sizeof kBytes];
            break;
        }
        default:  // truncate
            d.resize(pos);
            break;
    }
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<std::vector<uint8_t>> seeds;
    for (int i = 1; i < argc; ++i)
        seeds.push_back(ReadFile(argv[i]));
    if (seeds.empty())
        seeds.emplace_back();
    const char *env = std::getenv("CORV_FUZZ_RUNS");
    const long runs = env ? std::strtol(env, nullptr, 10) : 20000;

    for (const auto &s : seeds)
        LLVMFuzzerTestOneInput(s.data(), s.size());
    std::mt19937 rng(12345);
    for (long i = 0; i < runs; ++i) {
        std::vector<uint8_t> d = seeds[static_cast<size_t>(i) % seeds.size()];
        const int steps = static_cast<int>(rng() % 6) + 1;
        for (int k = 0; k < steps; ++k)
            Mutate(d, rng);
        LLVMFuzzerTestOneInput(d.data(), d.size());
    }
    std::printf("%ld inputs run\n", runs + static_cast<long>(seeds.size()));
    return 0;
}
