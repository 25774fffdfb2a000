#pragma once
// CPDFImagePipe: the stream the JPEG writer writes a PDF image into. Its
// only real operation is writing, which hands the bytes on to the image
// object's output and counts them; everything else does nothing, so the
// JPEG writer's opening, buffering and seeking leave the PDF untouched.
#include "ComFile.h"

#include <cstdint>
#include <functional>

namespace corv {

class CPDFImagePipe : public CComFile {
public:
    using Sink = std::function<void(const uint8_t *bytes, size_t length)>;

    explicit CPDFImagePipe(Sink sink);

    size_t ReadRaw(void *, size_t) override { return 0; }
    size_t WriteRaw(const void *bytes, size_t count) override;
    int64_t TellRaw() override { return 0; }
    int64_t SeekRaw(int64_t, int) override { return 0; }
    void Open(int) override {}
    void OpenExisting(int) override {}
    void Create() override {}
    void Remove() override {}
    void CloseFile() override {}
    bool Exists() override { return false; }
    int64_t Size() override { return 0; }
    int Kind() const override { return 0; }
    const char *NameA() const override { return "none"; }
    const wchar_t *NameW() const override { return L"none"; }
    void SetBuffer(long) override {}
    void Flush() override {}
    void SetLength(int64_t) override {}
    int64_t Length() override { return 0; }

    uint64_t BytesPassed() const { return m_passed; }

private:
    Sink m_sink;
    uint64_t m_passed = 0;
};

}  // namespace corv
