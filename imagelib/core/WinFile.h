#pragma once
// CWinFile: a disk file through the Win32 file API. The handle is kept as
// an opaque pointer so that this header stays free of <windows.h>.
#include "ComFile.h"

#include <string>

namespace corv {

class CWinFile : public CComFile {
public:
    explicit CWinFile(const char *ansiName);
    explicit CWinFile(const wchar_t *wideName);
    ~CWinFile() override;

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
    const char *NameA() const override { return m_ansiName.c_str(); }
    const wchar_t *NameW() const override { return m_wideName.c_str(); }
    void SetLength(int64_t length) override;
    int64_t Length() override;

    void RenameA(const char *name);
    void RenameW(const wchar_t *name);

private:
    void OpenWith(int mode, bool mustExist);

    void *m_handle;
    std::wstring m_wideName;
    std::string m_ansiName;
};

}  // namespace corv
