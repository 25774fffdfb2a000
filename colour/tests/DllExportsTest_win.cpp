// What a preview tool sees of corvcolor.dll: the six plain export names,
// found with GetProcAddress, callable with the documented convention.
#include "PreviewBlock.h"
#include "corvcolor.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

class CLibrary {
public:
    explicit CLibrary(const wchar_t *name) : module_(LoadLibraryW(name)) {}
    ~CLibrary() {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }
    CLibrary(const CLibrary &) = delete;
    CLibrary &operator=(const CLibrary &) = delete;

    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

TEST(DllExports, PlainNamesResolve) {
    const CLibrary dll(L"corvcolor.dll");
    ASSERT_NE(dll.Get(), nullptr);
    for (const char *name : {"SC_preview", "SC_ICCpreview", "SC_sRGBpreview", "SC_Graypreview",
                             "SC_proc_spoitL", "SC_grayproc_spoitL"})
        EXPECT_NE(GetProcAddress(dll.Get(), name), nullptr) << name;
    EXPECT_EQ(GetProcAddress(dll.Get(), "SC_preview@12"), nullptr);
}

TEST(DllExports, CallsThroughLookedUpPointersKeepTheStackBalanced) {
    // A convention mismatch leaves 8 or 12 bytes on the stack per call;
    // thousands of calls would then end in a crash or a wrong result.
    const CLibrary dll(L"corvcolor.dll");
    ASSERT_NE(dll.Get(), nullptr);
    using SpotFn = int(SC_API *)(const uint8_t *, const SC_SPOTPARAM *);
    using PreviewFn = int(SC_API *)(uint8_t *, const uint8_t *, const SC_PREVIEWPARAM *);
    const auto spot = reinterpret_cast<SpotFn>(
        reinterpret_cast<void *>(GetProcAddress(dll.Get(), "SC_grayproc_spoitL")));
    const auto gray = reinterpret_cast<PreviewFn>(
        reinterpret_cast<void *>(GetProcAddress(dll.Get(), "SC_Graypreview")));
    ASSERT_NE(spot, nullptr);
    ASSERT_NE(gray, nullptr);
    const std::vector<uint8_t> in(8 * 8, 90);
    std::vector<uint8_t> out(8 * 8);
    const SC_SPOTPARAM s = colourtest::SpotBlock(8, 8, 4, 4);
    const SC_PREVIEWPARAM p = colourtest::NeutralBlock(8, 8);
    int sum = 0;
    for (int i = 0; i < 5000; ++i)
        sum += spot(in.data(), &s) + gray(out.data(), in.data(), &p);
    EXPECT_EQ(sum, 5000 * 90);
    EXPECT_EQ(out, in);
}

}  // namespace
