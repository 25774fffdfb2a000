#pragma once
// CPosixFile: the native build's counterpart of CWinFile, with the same open
// modes and the failures reported as the matching Win32 error codes.
#include "ComFile.h"

#include <string>

namespace corv {

class CPosixFile : public CComFile {
public:
    explicit CPosixFile(const char *name);
    ~CPosixFile() override;

    size_t ReadRaw(void *bytes, size_t count) override;
    size_t WriteRaw(const void *bytes, size_t count) override;
    int64_t TellRaw() override;
    int64_t SeekRaw(int64_t offset, int origin) override;
    void Open(int mode) override;
    void OpenExisting(int mode) override;
    void Create() override;
    void Remove() override;
    void CloseFile() override;
    bool Exists() override;
    int64_t Size() override;
    int Kind() const override { return 3; }
    const char *NameA() const override { return m_name.c_str(); }
    const wchar_t *NameW() const override { return m_wideName.c_str(); }
    void SetLength(int64_t length) override;
    int64_t Length() override;

    void RenameA(const char *name);

private:
    void OpenWith(int mode, bool mustExist);

    int m_fd = -1;
    std::string m_name;
    std::wstring m_wideName;
};

// The Win32 error code that corresponds to an errno value.
uint32_t Win32CodeFromErrno(int err);

}  // namespace corv
