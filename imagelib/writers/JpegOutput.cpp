#include "JpegOutput.h"

#include "ImageError.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace corv {

CJpegOutput::CJpegOutput(CComFile *stream)
    : m_stream(stream), m_block(new (std::nothrow) uint8_t[kBlockSize]) {
    if (!m_block)
        RaiseImageError(kErrNoMemory);
    m_next = m_block.get();
    m_end = m_next + kBlockSize;
}

void CJpegOutput::Bytes(const uint8_t *bytes, size_t count) {
    while (count) {
        Reserve(1);
        const size_t n = std::min(count, static_cast<size_t>(m_end - m_next));
        std::memcpy(m_next, bytes, n);
        m_next += n;
        bytes += n;
        count -= n;
    }
}

void CJpegOutput::Flush() {
    const size_t n = static_cast<size_t>(m_next - m_block.get());
    if (n) {
        m_stream->Write(m_block.get(), n);
        m_written += n;
    }
    m_next = m_block.get();
}

}  // namespace corv
