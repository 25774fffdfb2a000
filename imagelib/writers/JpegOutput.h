#pragma once
// CJpegOutput: the encoder's byte sink. Markers and entropy-coded bytes are
// gathered in one block and handed to the stream in large writes.
#include "ComFile.h"

#include <cstdint>
#include <memory>

namespace corv {

class CJpegOutput {
public:
    explicit CJpegOutput(CComFile *stream);

    // Makes room for at least `bytes` more bytes, writing out what is held.
    void Reserve(size_t bytes) {
        if (static_cast<size_t>(m_end - m_next) < bytes)
            Flush();
    }
    void Byte(uint8_t b) { *m_next++ = b; }
    void Word(uint16_t w) {
        m_next[0] = static_cast<uint8_t>(w >> 8);
        m_next[1] = static_cast<uint8_t>(w);
        m_next += 2;
    }
    void Marker(uint8_t code) {
        Byte(0xFF);
        Byte(code);
    }
    // Copies any number of bytes (the block is flushed as needed).
    void Bytes(const uint8_t *bytes, size_t count);
    uint8_t *&Cursor() { return m_next; }

    void Flush();
    // Bytes handed to the stream so far.
    uint64_t Written() const { return m_written; }

    static constexpr size_t kBlockSize = 65536;

private:
    CComFile *m_stream;
    std::unique_ptr<uint8_t[]> m_block;
    uint8_t *m_next;
    uint8_t *m_end;
    uint64_t m_written = 0;
};

}  // namespace corv
