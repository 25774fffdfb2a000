#pragma once
// CMemoryFile: a stream over a block of memory that grows on writes past its
// end, or over a caller's block that it never frees or reallocates.
#include "ComFile.h"

namespace corv {

class CMemoryFile : public CComFile {
public:
    explicit CMemoryFile(size_t size = 0);
    ~CMemoryFile() override;

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
    int Kind() const override { return 4; }
    const char *NameA() const override { return "CMemoryFile"; }
    const wchar_t *NameW() const override { return L"CMemoryFile"; }
    void SetLength(int64_t length) override;
    int64_t Length() override;

    // The caller's block: read and written in place, never grown.
    void Attach(uint8_t *block, size_t size);
    void Reset(size_t size);
    uint8_t *DataAtPosition() { return m_data ? m_data + m_position : nullptr; }
    const uint8_t *Data() const { return m_data; }

private:
    void FreeBlock();
    void Grow(size_t needed);

    size_t m_size = 0;
    size_t m_capacity = 0;
    size_t m_position = 0;
    uint8_t *m_data = nullptr;
    bool m_external = false;
};

}  // namespace corv
