// What the scan utility sees of cvpsmrc.dll: loaded by its plain name, the
// three entry points found by name with GetProcAddress, a scan converted
// through the looked-up pointers. The PDF goes where MRC_DLL_OUT says when
// it is set, so that a native step can check it with qpdf afterwards.
#include "ImgOption.h"
#include "ImgParam.h"
#include "ImgToTIFF2.h"
#include "cvpsmrc.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class CLibrary {
public:
    explicit CLibrary(const char *name) : module_(LoadLibraryA(name)) {}
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

std::string TempFolder() {
    char path[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, path);
    return std::string(path, n);
}

template <class Fn>
Fn Entry(HMODULE module, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

TEST(DllLoad, ExportsTheThreeNamesUndecorated) {
    const CLibrary dll("cvpsmrc.dll");
    ASSERT_NE(dll.Get(), nullptr);
    for (const char *name : {"CVMRCPDFInit", "CVMRCPDFFile", "CVMRCPDFEnd"})
        EXPECT_NE(GetProcAddress(dll.Get(), name), nullptr) << name;
    EXPECT_EQ(GetProcAddress(dll.Get(), "CVMRCPDFInit@20"), nullptr);
    EXPECT_EQ(GetProcAddress(dll.Get(), "_CVMRCPDFInit"), nullptr);
}

TEST(DllLoad, ConvertsAScanThroughLookedUpNames) {
    const std::string folder = TempFolder();
    const std::string tiff = folder + "cvpsmrc_dll_test.tif";
    const char *env = std::getenv("MRC_DLL_OUT");
    const std::string pdf = env && *env ? env : folder + "cvpsmrc_dll_test.pdf";
    DeleteFileA(pdf.c_str());
    {
        corv::CTiffOption option(0, 0, 0);
        corv::CImgToTIFF2 writer;
        writer.Open(&option, tiff.c_str());
        const int w = 300, h = 200;
        std::vector<uint8_t> rows(size_t(w) * h * 3, 235);
        for (int y = 80; y < 120; ++y)
            for (int x = 30; x < 270; x += (y % 2 ? 1 : 3))
                rows[(size_t(y) * w + x) * 3] = 20;
        writer.BeginPage(corv::CImgParam(corv::kPixelRgb, w, h, w * 3, 200.0));
        writer.WriteData(rows.size(), rows.data());
        writer.EndPage();
        writer.Close();
    }
    const CLibrary dll("cvpsmrc.dll");
    ASSERT_NE(dll.Get(), nullptr);
    const auto init = Entry<CVMRCPDFInitFn>(dll.Get(), "CVMRCPDFInit");
    const auto file = Entry<CVMRCPDFFileFn>(dll.Get(), "CVMRCPDFFile");
    const auto end = Entry<CVMRCPDFEndFn>(dll.Get(), "CVMRCPDFEnd");
    ASSERT_TRUE(init && file && end);

    const char *empty = "";
    const SInitOptions options{1, empty, empty, empty, empty, -1, -1};
    const SFolderOptions program{2, "C:\\Program Files\\Corvane"};
    const int32_t six[6] = {0, -1, -1, -1, -1, -1};
    // Many calls through the pointers: a calling-convention mismatch would
    // unbalance the stack and crash long before the last one.
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(end(), 2) << "End without Init";
        ASSERT_EQ(file("Z:\\no\\such.tif", 0, six, 0), 2);
    }
    ASSERT_EQ(init(pdf.c_str(), 1, &options, &program, 0), 0);
    ASSERT_EQ(file(tiff.c_str(), 0, six, 0), 0);
    ASSERT_EQ(end(), 0);
    DeleteFileA(tiff.c_str());

    HANDLE h =
        CreateFileA(pdf.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char head[8] = {};
    DWORD got = 0;
    ReadFile(h, head, sizeof head, &got, nullptr);
    CloseHandle(h);
    EXPECT_EQ(std::string(head, got), "%PDF-1.4");
    if (!env || !*env)
        DeleteFileA(pdf.c_str());
}

}  // namespace
