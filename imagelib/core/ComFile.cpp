#include "ComFile.h"

#include "ImageError.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace corv {
namespace {

// SetBuffer(-1) never goes below this, so small files still read in one go.
constexpr size_t kMinWholeFileBuffer = 16384;
// Allocation retries halve the size while it stays above this.
constexpr size_t kMinRetryBuffer = 1024;

uint16_t Swap16(uint16_t v) {
    return static_cast<uint16_t>((v >> 8) | (v << 8));
}
uint32_t Swap32(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

template <typename T, typename F>
void SwapAll(T *values, size_t count, F swap) {
    for (size_t i = 0; i < count; ++i)
        values[i] = swap(values[i]);
}

}  // namespace

ByteOrder HostByteOrder() {
    const uint16_t probe = 1;
    uint8_t first;
    std::memcpy(&first, &probe, 1);
    return first ? ByteOrder::Little : ByteOrder::Big;
}

CComFile::CComFile() : m_byteOrder(HostByteOrder()) {}

CComFile::~CComFile() = default;

void CComFile::RequireOpen() const {
    if (!m_isOpen)
        RaiseImageError(kErrNotOpen);
}

void CComFile::DropBuffer() {
    m_bufferHoldsData = false;
    m_bufferMode = kModeRead;
    m_bufferPos = m_bufferFill = m_bufferSize;
}

void CComFile::Settle() {
    if (!m_buffer || !m_isOpen)
        return;
    if (m_bufferMode == kModeWrite) {
        Flush();
    } else if (m_bufferFill > m_bufferPos) {
        SeekRaw(-static_cast<int64_t>(m_bufferFill - m_bufferPos), kSeekCurrent);
    }
    DropBuffer();
}

void CComFile::SetBuffer(long size) {
    Settle();
    m_buffer.reset();
    m_bufferHoldsData = false;
    m_bufferSize = m_bufferFill = m_bufferPos = 0;
    m_bufferMode = kModeRead;
    if (size == -1)
        size = static_cast<long>(std::max<int64_t>(Size(), kMinWholeFileBuffer));
    if (size < 1)
        return;
    size_t want = static_cast<size_t>(size);
    for (;;) {
        m_buffer.reset(new (std::nothrow) uint8_t[want]);
        if (m_buffer || want <= kMinRetryBuffer)
            break;
        want /= 2;
    }
    if (!m_buffer)
        RaiseImageError(kErrNoMemory);
    m_bufferSize = m_bufferFill = m_bufferPos = want;
}

void CComFile::Flush() {
    if (!m_buffer || m_bufferMode != kModeWrite || m_bufferPos == 0)
        return;
    size_t pending = m_bufferPos;
    m_bufferPos = 0;
    WriteRaw(m_buffer.get(), pending);
}

int64_t CComFile::Tell() {
    RequireOpen();
    if (!m_buffer)
        return TellRaw();
    if (m_bufferMode == kModeWrite)
        return TellRaw() + static_cast<int64_t>(m_bufferPos);
    return TellRaw() + static_cast<int64_t>(m_bufferPos) - static_cast<int64_t>(m_bufferFill);
}

void CComFile::Seek(int64_t offset, int origin) {
    if (origin < kSeekBegin || origin > kSeekCurrent)
        RaiseImageError(kErrInvalidArg);
    RequireOpen();
    if (!m_buffer) {
        SeekRaw(offset, origin);
        return;
    }
    if (origin == kSeekBegin && offset == Tell())
        return;
    if (m_bufferMode == kModeRead && m_bufferHoldsData && origin != kSeekEnd) {
        // Moving inside bytes already read costs no file access.
        int64_t rawPos = TellRaw();
        int64_t bufferStart = rawPos - static_cast<int64_t>(m_bufferFill);
        int64_t logical = rawPos - static_cast<int64_t>(m_bufferFill - m_bufferPos);
        int64_t target = origin == kSeekBegin ? offset : logical + offset;
        if (target >= bufferStart && target <= rawPos) {
            m_bufferPos = static_cast<size_t>(target - bufferStart);
            return;
        }
    }
    if (m_bufferMode == kModeWrite) {
        Flush();
        SeekRaw(offset, origin);
        m_bufferPos = 0;
        return;
    }
    // The raw position runs ahead of the logical one by the unread bytes.
    if (origin == kSeekCurrent)
        offset -= static_cast<int64_t>(m_bufferFill - m_bufferPos);
    SeekRaw(offset, origin);
    m_bufferPos = m_bufferFill;
    m_bufferHoldsData = false;
}

void CComFile::EnterWriteMode() {
    if (m_bufferMode == kModeWrite)
        return;
    size_t unread = m_bufferFill - m_bufferPos;
    if (unread)
        SeekRaw(-static_cast<int64_t>(unread), kSeekCurrent);
    m_bufferMode = kModeWrite;
    m_bufferHoldsData = false;
    m_bufferPos = 0;
    m_bufferFill = m_bufferSize;
}

void CComFile::EnterReadMode() {
    if (m_bufferMode == kModeRead)
        return;
    Flush();
    m_bufferMode = kModeRead;
    m_bufferPos = m_bufferFill = m_bufferSize;
}

void CComFile::Write(const void *bytes, size_t count) {
    RequireOpen();
    if (!m_buffer) {
        WriteRaw(bytes, count);
        return;
    }
    EnterWriteMode();
    const uint8_t *in = static_cast<const uint8_t *>(bytes);
    while (count) {
        if (m_bufferPos == 0 && count > m_bufferSize) {
            WriteRaw(in, count);
            return;
        }
        size_t n = std::min(count, m_bufferSize - m_bufferPos);
        std::memcpy(m_buffer.get() + m_bufferPos, in, n);
        m_bufferPos += n;
        in += n;
        count -= n;
        if (m_bufferPos == m_bufferSize)
            Flush();
    }
}

size_t CComFile::Read(void *bytes, size_t count) {
    RequireOpen();
    if (!m_buffer)
        return ReadRaw(bytes, count);
    EnterReadMode();
    return ReadBuffered(static_cast<uint8_t *>(bytes), count);
}

size_t CComFile::ReadBuffered(uint8_t *out, size_t count) {
    size_t done = 0;
    while (done < count) {
        size_t avail = m_bufferFill - m_bufferPos;
        if (avail == 0) {
            size_t rest = count - done;
            if (rest > m_bufferFill)
                return done + ReadRaw(out + done, rest);
            m_bufferFill = ReadRaw(m_buffer.get(), m_bufferSize);
            m_bufferPos = 0;
            m_bufferHoldsData = true;
            if (m_bufferFill == 0)
                break;
            continue;
        }
        size_t n = std::min(avail, count - done);
        std::memcpy(out + done, m_buffer.get() + m_bufferPos, n);
        m_bufferPos += n;
        done += n;
    }
    return done;
}

size_t CComFile::Read16(uint16_t *values, size_t count) {
    size_t n = Read(values, count * 2) / 2;
    if (m_byteOrder != HostByteOrder())
        SwapAll(values, n, Swap16);
    return n;
}

void CComFile::Write16(uint16_t *values, size_t count, bool mayClobber) {
    bool swap = m_byteOrder != HostByteOrder();
    if (swap)
        SwapAll(values, count, Swap16);
    Write(values, count * 2);
    if (swap && !mayClobber)
        SwapAll(values, count, Swap16);
}

size_t CComFile::Read32(uint32_t *values, size_t count) {
    size_t n = Read(values, count * 4) / 4;
    if (m_byteOrder != HostByteOrder())
        SwapAll(values, n, Swap32);
    return n;
}

void CComFile::Write32(uint32_t *values, size_t count, bool mayClobber) {
    bool swap = m_byteOrder != HostByteOrder();
    if (swap)
        SwapAll(values, count, Swap32);
    Write(values, count * 4);
    if (swap && !mayClobber)
        SwapAll(values, count, Swap32);
}

}  // namespace corv
