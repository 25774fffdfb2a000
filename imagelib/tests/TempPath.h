#pragma once
// Unique scratch file names for tests, in the platform's temp folder, and
// small file helpers that do not go through the library under test.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace corv::test {

// CTest runs test cases as parallel processes, so names carry a random
// per-process token as well as a counter.
inline std::string TempPath(const std::string &leaf) {
    static const uint64_t token =
        (uint64_t{std::random_device{}()} << 32) ^
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    static int counter = 0;
    auto dir = std::filesystem::temp_directory_path();
    std::string name = "corvimg_" + std::to_string(token % 1000000007) + "_" +
                       std::to_string(++counter) + "_" + leaf;
    return (dir / name).string();
}

inline bool FileExists(const std::string &path) {
    return std::filesystem::exists(path);
}

inline std::vector<uint8_t> ReadAll(const std::string &path) {
    std::vector<uint8_t> out;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        uint8_t chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            out.insert(out.end(), chunk, chunk + n);
        std::fclose(f);
    }
    return out;
}

inline void WriteAll(const std::string &path, const std::vector<uint8_t> &bytes) {
    if (FILE *f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

// Removes the file when the test ends, whatever happened.
struct ScopedPath {
    explicit ScopedPath(const std::string &leaf) : path(TempPath(leaf)) {}
    ~ScopedPath() {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
    std::string path;
};

}  // namespace corv::test
