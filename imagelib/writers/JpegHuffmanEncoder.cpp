#include "JpegHuffmanEncoder.h"

#include <cstring>

namespace corv {
namespace {

constexpr uint8_t kZeroRunLength = 0xF0;
constexpr uint8_t kEndOfBlock = 0x00;
constexpr int kPadBits = 7;

// Number of bits in the magnitude of v (0 for 0).
inline int BitLength(uint32_t v) {
    return v ? 32 - __builtin_clz(v) : 0;
}

}  // namespace

bool DeriveHuffmanTable(const JpegHuffmanDefinition &definition, bool isDc, JpegDerivedTable &out) {
    std::memset(&out, 0, sizeof out);
    uint32_t code = 0;
    int k = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < definition.bits[length - 1]; ++i, ++k) {
            if (k >= definition.count)
                return false;
            const uint8_t symbol = definition.values[k];
            if (out.size[symbol] || (isDc && symbol > 15))
                return false;
            out.code[symbol] = code++;
            out.size[symbol] = static_cast<uint8_t>(length);
        }
        // The codes of one length must fit in that many bits.
        if (code >= (uint32_t(1) << length))
            return false;
        code <<= 1;
    }
    return k == definition.count;
}

void CJpegHuffmanEncoder::EmitByte(uint8_t b) {
    m_out.Byte(b);
    if (b == 0xFF)
        m_out.Byte(0x00);
}

void CJpegHuffmanEncoder::EmitWord(uint32_t w) {
    // A byte of w is 0xFF exactly when the same byte of ~w is zero.
    const uint32_t inv = ~w;
    if (((inv - 0x01010101u) & ~inv & 0x80808080u) == 0) {
        uint8_t *&p = m_out.Cursor();
        p[0] = static_cast<uint8_t>(w >> 24);
        p[1] = static_cast<uint8_t>(w >> 16);
        p[2] = static_cast<uint8_t>(w >> 8);
        p[3] = static_cast<uint8_t>(w);
        p += 4;
        return;
    }
    for (int shift = 24; shift >= 0; shift -= 8)
        EmitByte(static_cast<uint8_t>(w >> shift));
}

void CJpegHuffmanEncoder::FlushBits() {
    Put((1u << kPadBits) - 1, kPadBits);
    while (m_count >= 8) {
        m_count -= 8;
        EmitByte(static_cast<uint8_t>(m_acc >> m_count));
    }
    m_count = 0;
    m_acc = 0;
}

void CJpegHuffmanEncoder::EncodeBlock(const int16_t block[64], uint64_t nonZero, int32_t &lastDc,
                                      const JpegDerivedTable &dc, const JpegDerivedTable &ac) {
    // A negative value v is sent as the low bits of v - 1 (T.81 F.1.2.1).
    int32_t diff = block[0] - lastDc;
    lastDc = block[0];
    int32_t sign = diff >> 31;
    uint32_t magnitude = static_cast<uint32_t>((diff ^ sign) - sign);
    int nbits = BitLength(magnitude);
    uint32_t extra = static_cast<uint32_t>(diff + sign) & ((1u << nbits) - 1);
    Put((dc.code[nbits] << nbits) | extra, dc.size[nbits] + nbits);

    // Only the non-zero coefficients are visited; the zeros between them
    // are the run.
    int previous = 0;
    for (uint64_t left = nonZero & ~uint64_t(1); left; left &= left - 1) {
        const int k = __builtin_ctzll(left);
        const int32_t v = block[kJpegNaturalOrder[k]];
        int run = k - previous - 1;
        previous = k;
        while (run > 15) {
            Put(ac.code[kZeroRunLength], ac.size[kZeroRunLength]);
            run -= 16;
        }
        sign = v >> 31;
        magnitude = static_cast<uint32_t>((v ^ sign) - sign);
        nbits = BitLength(magnitude);
        extra = static_cast<uint32_t>(v + sign) & ((1u << nbits) - 1);
        const int symbol = (run << 4) | nbits;
        Put((ac.code[symbol] << nbits) | extra, ac.size[symbol] + nbits);
    }
    if (previous < 63)
        Put(ac.code[kEndOfBlock], ac.size[kEndOfBlock]);
}

}  // namespace corv
