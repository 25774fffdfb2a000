// The version reader against modules whose version resources the tests
// made: the program's own (two string tables, one named by the
// translation), one without a translation, one without any resource.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "VELT_ModuleVersion.h"

namespace {

const wchar_t kProgramCopyright[] = L"Copyright (C) 2002-2026 Tessaly";

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return path;
}

struct VersionCase {
    const char *name;
    std::function<bool(CVELT_ModuleVersion &)> load;
    bool loaded;
    std::optional<std::wstring> fileVersion;
    std::optional<std::wstring> copyright;
    WORD language;
    WORD codePage;
    DWORD fileVersionMS;
    DWORD fileVersionLS;
};

class ModuleVersionTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_plain = ::LoadLibraryW(L"version_box_plain.dll");
        m_neutral = ::LoadLibraryW(L"version_box_neutral.dll");
        ASSERT_NE(m_plain, nullptr);
        ASSERT_NE(m_neutral, nullptr);
    }
    void TearDown() override {
        if (m_plain)
            ::FreeLibrary(m_plain);
        if (m_neutral)
            ::FreeLibrary(m_neutral);
    }
    HMODULE m_plain = nullptr;
    HMODULE m_neutral = nullptr;
};

TEST_F(ModuleVersionTest, ReadsTheFirstTranslationsStringsOrNothing) {
    const HMODULE plain = m_plain;
    const VersionCase cases[] = {
        {"program by handle",
         [](CVELT_ModuleVersion &v) { return v.LoadModule(::GetModuleHandleW(nullptr)); }, true,
         L"3, 0, 0, 1", kProgramCopyright, 0x0411, 1200, 0x00030000, 0x00000001},
        {"program by null name",
         [](CVELT_ModuleVersion &v) { return v.LoadModule(static_cast<const wchar_t *>(nullptr)); },
         true, L"3, 0, 0, 1", kProgramCopyright, 0x0411, 1200, 0x00030000, 0x00000001},
        {"program by file name", [](CVELT_ModuleVersion &v) { return v.Load(ProgramPath()); }, true,
         L"3, 0, 0, 1", kProgramCopyright, 0x0411, 1200, 0x00030000, 0x00000001},
        {"no translation: neutral language, Western code page",
         [](CVELT_ModuleVersion &v) { return v.LoadModule(L"version_box_neutral.dll"); }, true,
         L"1, 2, 3, 4", std::nullopt, 0, 1252, 0x00010002, 0x00030004},
        {"module without a version resource",
         [plain](CVELT_ModuleVersion &v) { return v.LoadModule(plain); }, false, std::nullopt,
         std::nullopt, 0, 1252, 0, 0},
        {"module not loaded",
         [](CVELT_ModuleVersion &v) { return v.LoadModule(L"no_such_module_here.dll"); }, false,
         std::nullopt, std::nullopt, 0, 1252, 0, 0},
        {"file that does not exist",
         [](CVELT_ModuleVersion &v) { return v.Load(L"C:\\no\\such\\folder\\module.dll"); }, false,
         std::nullopt, std::nullopt, 0, 1252, 0, 0},
    };
    for (const VersionCase &c : cases) {
        SCOPED_TRACE(c.name);
        // Every row reloads over a block already held: what a row reads
        // must not mix with what was there before.
        CVELT_ModuleVersion version;
        ASSERT_TRUE(version.Load(ProgramPath()));

        EXPECT_EQ(c.load(version), c.loaded);
        EXPECT_EQ(version.IsLoaded(), c.loaded);
        EXPECT_EQ(version.String(L"FileVersion"), c.fileVersion);
        EXPECT_EQ(version.String(L"LegalCopyright"), c.copyright);
        EXPECT_EQ(version.String(L"Comments"), std::nullopt);
        EXPECT_EQ(version.Language(), c.language);
        EXPECT_EQ(version.CodePage(), c.codePage);
        EXPECT_EQ(version.FixedInfo().dwSignature, c.loaded ? 0xFEEF04BDu : 0u);
        EXPECT_EQ(version.FixedInfo().dwFileVersionMS, c.fileVersionMS);
        EXPECT_EQ(version.FixedInfo().dwFileVersionLS, c.fileVersionLS);
    }
}

}  // namespace
