#pragma once
// CComFile: the abstract byte stream every reader and writer of the image
// library goes through, with optional read/write buffering on top of the
// raw operations that each concrete stream provides.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace corv {

enum class ByteOrder : uint8_t { Little, Big };

ByteOrder HostByteOrder();

// Open modes and seek origins as the library numbers them.
enum : int { kOpenRead = 1, kOpenWrite = 2, kOpenReadWrite = 3 };
enum : int { kSeekBegin = 1, kSeekEnd = 2, kSeekCurrent = 3 };

class CComFile {
public:
    CComFile();
    virtual ~CComFile();
    CComFile(const CComFile &) = delete;
    CComFile &operator=(const CComFile &) = delete;

    // Raw operations: no buffering, raise on failure.
    virtual size_t ReadRaw(void *bytes, size_t count) = 0;
    virtual size_t WriteRaw(const void *bytes, size_t count) = 0;
    virtual int64_t TellRaw() = 0;
    virtual int64_t SeekRaw(int64_t offset, int origin) = 0;

    virtual void Open(int mode) = 0;
    virtual void OpenExisting(int mode) = 0;
    virtual void Create() = 0;
    virtual void Remove() = 0;
    virtual void CloseFile() = 0;
    virtual bool Exists() = 0;
    virtual void Reserved() {}
    virtual int64_t Size() = 0;
    virtual int Kind() const = 0;
    virtual const char *NameA() const = 0;
    virtual const wchar_t *NameW() const = 0;

    virtual void SetBuffer(long size);
    virtual void Flush();
    virtual void SetLength(int64_t length) = 0;
    virtual int64_t Length() = 0;

    // Buffered operations.
    int64_t Tell();
    void Seek(int64_t offset, int origin);
    size_t Read(void *bytes, size_t count);
    void Write(const void *bytes, size_t count);
    size_t Read16(uint16_t *values, size_t count);
    void Write16(uint16_t *values, size_t count, bool mayClobber);
    size_t Read32(uint32_t *values, size_t count);
    void Write32(uint32_t *values, size_t count, bool mayClobber);

    bool IsOpen() const { return m_isOpen; }
    ByteOrder Order() const { return m_byteOrder; }
    void SetOrder(ByteOrder order) { m_byteOrder = order; }
    size_t BufferSize() const { return m_bufferSize; }
    bool IsWriting() const { return m_bufferMode == kModeWrite; }

protected:
    enum : int { kModeRead = 1, kModeWrite = 2 };

    void RequireOpen() const;
    // Forgets buffered read bytes and pending state; called by concrete
    // streams after they close or replace what is underneath.
    void DropBuffer();
    // Brings the raw position to the logical one (pending bytes written,
    // unread bytes given back) and leaves the buffer consumed.
    void Settle();

    ByteOrder m_byteOrder;
    bool m_isOpen = false;

private:
    void EnterWriteMode();
    void EnterReadMode();
    size_t ReadBuffered(uint8_t *out, size_t count);

    std::unique_ptr<uint8_t[]> m_buffer;
    size_t m_bufferFill = 0;
    size_t m_bufferPos = 0;
    size_t m_bufferSize = 0;
    int m_bufferMode = kModeRead;
    // The consumed state keeps Fill at the buffer size so that small reads
    // refill it; only bytes really read from the stream may serve a seek.
    bool m_bufferHoldsData = false;
};

}  // namespace corv
