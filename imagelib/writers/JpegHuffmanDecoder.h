#pragma once
// CJpegHuffmanDecoder: one DHT table made ready for decoding, with a
// 9-bit lookahead table for the common short codes.
#include <cstdint>

namespace corv {

class CJpegBitReader;

class CJpegHuffmanDecoder {
public:
    // False when the counts overflow the code space or exceed 256 values.
    bool Define(const uint8_t bits[16], const uint8_t *values, int count);
    bool Defined() const { return m_defined; }
    // The next symbol, or -1 for a code the table does not hold.
    int Decode(CJpegBitReader &reader) const;

private:
    static constexpr int kLookBits = 9;
    bool m_defined = false;
    int32_t m_maxCode[18] = {};
    int32_t m_offset[17] = {};  // value index minus first code, per length
    uint8_t m_values[256] = {};
    uint16_t m_look[1 << kLookBits] = {};  // length << 8 | value, 0 when longer
};

// MSB-first bits of entropy-coded data: 0xFF 0x00 gives 0xFF, a marker stops
// the data and is kept for the decoder, and past the end zeros are given,
// up to a limit after which the data counts as truncated.
class CJpegBitReader {
public:
    using ByteSource = int (*)(void *context);  // next byte or -1

    void Start(ByteSource source, void *context) {
        m_source = source;
        m_context = context;
        Reset();
    }
    // Drops the bits left over at a restart marker.
    void Reset() {
        m_bits = 0;
        m_count = 0;
        m_padding = 0;
    }
    uint32_t Peek(int n) {
        if (m_count < n)
            Fill();
        return static_cast<uint32_t>(m_bits >> (64 - n));
    }
    void Skip(int n) {
        m_bits <<= n;
        m_count -= n;
    }
    uint32_t Get(int n) {
        const uint32_t v = n ? Peek(n) : 0;
        Skip(n);
        return v;
    }
    // The marker that ended the data (0 while none), taken by the caller.
    int TakeMarker() {
        const int m = m_marker;
        m_marker = 0;
        return m;
    }
    bool Overrun() const { return m_padding > kMaxPadding; }

private:
    static constexpr int kMaxPadding = 1024;
    void Fill();

    ByteSource m_source = nullptr;
    void *m_context = nullptr;
    uint64_t m_bits = 0;
    int m_count = 0;
    int m_marker = 0;
    int m_padding = 0;
};

}  // namespace corv
