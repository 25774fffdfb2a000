#include "JpegHuffmanDecoder.h"

#include <cstring>

namespace corv {

bool CJpegHuffmanDecoder::Define(const uint8_t bits[16], const uint8_t *values, int count) {
    int total = 0;
    for (int i = 0; i < 16; ++i)
        total += bits[i];
    if (total > 256 || total > count)
        return false;
    std::memcpy(m_values, values, size_t(total));
    std::memset(m_look, 0, sizeof m_look);
    int32_t code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length) {
        const int n = bits[length - 1];
        m_offset[length] = index - code;
        if (n && code + n > (1 << length))
            return false;
        for (int i = 0; i < n; ++i, ++code, ++index) {
            if (length <= kLookBits) {
                const int shift = kLookBits - length;
                for (int fill = 0; fill < (1 << shift); ++fill)
                    m_look[(code << shift) | fill] =
                        static_cast<uint16_t>(length << 8 | m_values[index]);
            }
        }
        m_maxCode[length] = n ? code - 1 : -1;
        code <<= 1;
    }
    m_maxCode[17] = 0x7fffffff;
    m_defined = true;
    return true;
}

int CJpegHuffmanDecoder::Decode(CJpegBitReader &reader) const {
    const uint32_t look = reader.Peek(kLookBits);
    if (const uint16_t entry = m_look[look]) {
        reader.Skip(entry >> 8);
        return entry & 0xFF;
    }
    const uint32_t bits = reader.Peek(16);
    for (int length = kLookBits + 1; length <= 16; ++length) {
        const auto code = static_cast<int32_t>(bits >> (16 - length));
        if (code <= m_maxCode[length]) {
            reader.Skip(length);
            return m_values[(m_offset[length] + code) & 0xFF];
        }
    }
    return -1;
}

void CJpegBitReader::Fill() {
    while (m_count <= 56) {
        int byte = 0;
        if (m_marker == 0) {
            byte = m_source(m_context);
            if (byte == 0xFF) {
                int next = m_source(m_context);
                while (next == 0xFF)
                    next = m_source(m_context);
                if (next == 0) {
                    byte = 0xFF;
                } else {
                    m_marker = next < 0 ? 0x100 : next;
                    byte = 0;
                }
            } else if (byte < 0) {
                m_marker = 0x100;  // the end of the data
                byte = 0;
            }
        }
        if (m_marker != 0)
            ++m_padding;
        m_bits |= uint64_t(byte) << (56 - m_count);
        m_count += 8;
    }
}

}  // namespace corv
