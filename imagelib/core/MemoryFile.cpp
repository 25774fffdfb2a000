#include "MemoryFile.h"

#include "ImageError.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace corv {

CMemoryFile::CMemoryFile(size_t size) : m_size(size) {}

CMemoryFile::~CMemoryFile() {
    FreeBlock();
}

void CMemoryFile::FreeBlock() {
    if (!m_external)
        std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
    m_external = false;
}

void CMemoryFile::Grow(size_t needed) {
    if (needed <= m_capacity)
        return;
    if (m_external)
        RaiseImageError(kErrNoMemory);
    // Doubling keeps a stream of small writes linear.
    size_t capacity = std::max(needed, m_capacity * 2);
    void *grown = std::realloc(m_data, capacity);
    if (!grown)
        RaiseImageError(kErrNoMemory);
    m_data = static_cast<uint8_t *>(grown);
    m_capacity = capacity;
}

size_t CMemoryFile::ReadRaw(void *bytes, size_t count) {
    RequireOpen();
    size_t n = m_position < m_size ? std::min(count, m_size - m_position) : 0;
    if (n)
        std::memcpy(bytes, m_data + m_position, n);
    m_position += n;
    return n;
}

size_t CMemoryFile::WriteRaw(const void *bytes, size_t count) {
    RequireOpen();
    if (!count)
        return 0;
    size_t end = m_position + count;
    Grow(end);
    std::memcpy(m_data + m_position, bytes, count);
    m_position = end;
    m_size = std::max(m_size, end);
    return count;
}

int64_t CMemoryFile::TellRaw() {
    RequireOpen();
    return static_cast<int64_t>(m_position);
}

int64_t CMemoryFile::SeekRaw(int64_t offset, int origin) {
    RequireOpen();
    int64_t base;
    switch (origin) {
        case kSeekBegin:
            base = 0;
            break;
        case kSeekEnd:
            base = static_cast<int64_t>(m_size);
            break;
        case kSeekCurrent:
            base = static_cast<int64_t>(m_position);
            break;
        default:
            RaiseImageError(kErrInvalidArg);
    }
    int64_t target = base + offset;
    if (target < 0 || target > static_cast<int64_t>(m_size))
        RaiseImageError(kErrSeekOutside);
    m_position = static_cast<size_t>(target);
    return target;
}

void CMemoryFile::Open(int mode) {
    if (mode < kOpenRead || mode > kOpenReadWrite)
        RaiseImageError(kErrInvalidArg);
    if (!m_data && m_size) {
        m_data = static_cast<uint8_t *>(std::calloc(m_size, 1));
        if (!m_data)
            RaiseImageError(kErrNoMemory);
        m_capacity = m_size;
    }
    m_position = 0;
    m_isOpen = true;
    DropBuffer();
}

void CMemoryFile::OpenExisting(int mode) {
    Open(mode);
}

void CMemoryFile::Create() {
    FreeBlock();
    if (m_size) {
        m_data = static_cast<uint8_t *>(std::calloc(m_size, 1));
        if (!m_data)
            RaiseImageError(kErrNoMemory);
        m_capacity = m_size;
    }
    m_position = 0;
}

void CMemoryFile::Remove() {
    FreeBlock();
    m_size = 0;
    m_position = 0;
}

void CMemoryFile::CloseFile() {
    Settle();
    m_position = 0;
    m_isOpen = false;
    DropBuffer();
}

bool CMemoryFile::Exists() {
    return m_data != nullptr;
}

int64_t CMemoryFile::Size() {
    if (m_isOpen && IsWriting())
        Flush();
    return static_cast<int64_t>(m_size);
}

void CMemoryFile::SetLength(int64_t length) {
    Settle();
    size_t n = static_cast<size_t>(std::max<int64_t>(length, 0));
    Grow(n);
    if (n > m_size)
        std::memset(m_data + m_size, 0, n - m_size);
    m_size = n;
    m_position = std::min(m_position, m_size);
}

int64_t CMemoryFile::Length() {
    return Size();
}

void CMemoryFile::Attach(uint8_t *block, size_t size) {
    FreeBlock();
    m_data = block;
    m_size = m_capacity = size;
    m_external = true;
    m_position = 0;
}

void CMemoryFile::Reset(size_t size) {
    FreeBlock();
    m_size = size;
    m_position = 0;
}

}  // namespace corv
