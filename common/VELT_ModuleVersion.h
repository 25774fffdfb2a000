// The version resource of a module, read once and asked for its strings:
// the version box shows the file version and copyright the binary was
// built with, so that what the user reads is what is installed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class CVELT_ModuleVersion {
public:
    CVELT_ModuleVersion() { Clear(); }

    // Reads the version resource of a file. False, with nothing held, when
    // the file has none or its fixed part is not a version block.
    bool Load(const std::wstring &fileName);
    // The same for a module loaded in this process: by name (null for the
    // program itself) or by handle.
    bool LoadModule(const wchar_t *moduleName);
    bool LoadModule(HMODULE module);

    bool IsLoaded() const { return !m_block.empty(); }
    // A value of the string table named by the first translation, such as
    // "FileVersion"; nothing when no block is held or it has no such value.
    std::optional<std::wstring> String(const wchar_t *name) const;

    const VS_FIXEDFILEINFO &FixedInfo() const { return m_fixed; }
    WORD Language() const { return m_language; }
    WORD CodePage() const { return m_codePage; }

private:
    void Clear();

    std::vector<BYTE> m_block;
    VS_FIXEDFILEINFO m_fixed;
    // Windows' own fallback when a block names no translation: neutral
    // language, Western code page.
    WORD m_language;
    WORD m_codePage;
};
