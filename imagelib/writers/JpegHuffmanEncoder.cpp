#include "JpegHuffmanEncoder.h"

#include <bit>
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

// The word is stored byte-swapped, which is big-endian only from a
// little-endian host.
static_assert(std::endian::native == std::endian::little);

// The bit buffer while a block is coded: the newest bits are the lowest;
// whenever 32 or more are held the oldest 32 go out as one word.
class CJpegBitWriter {
public:
    CJpegBitWriter(uint64_t acc, int count, uint8_t *next)
        : m_acc(acc), m_count(count), m_next(next) {}

    [[gnu::always_inline]] void Put(uint32_t bits, int count) {
        m_acc = (m_acc << count) | bits;
        m_count += count;
        if (m_count >= 32) {
            m_count -= 32;
            EmitWord(static_cast<uint32_t>(m_acc >> m_count));
        }
    }
    // Writes the whole bytes held; the bits of a partial byte are dropped.
    void FlushBytes() {
        while (m_count >= 8) {
            m_count -= 8;
            EmitByte(static_cast<uint8_t>(m_acc >> m_count));
        }
    }
    uint64_t Acc() const { return m_acc; }
    int Count() const { return m_count; }
    uint8_t *Cursor() const { return m_next; }

private:
    [[gnu::always_inline]] void EmitWord(uint32_t w) {
        // A byte of w is 0xFF exactly when the same byte of ~w is zero.
        const uint32_t inv = ~w;
        if (((inv - 0x01010101u) & ~inv & 0x80808080u) == 0) {
            const uint32_t bigEndian = __builtin_bswap32(w);
            std::memcpy(m_next, &bigEndian, sizeof bigEndian);
            m_next += 4;
            return;
        }
        for (int shift = 24; shift >= 0; shift -= 8)
            EmitByte(static_cast<uint8_t>(w >> shift));
    }
    void EmitByte(uint8_t b) {
        *m_next++ = b;
        if (b == 0xFF)
            *m_next++ = 0x00;
    }

    uint64_t m_acc;
    int m_count;
    uint8_t *m_next;
};

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

void CJpegHuffmanEncoder::FlushBits() {
    CJpegBitWriter bits(m_acc, m_count, m_out.Cursor());
    bits.Put((1u << kPadBits) - 1, kPadBits);
    bits.FlushBytes();
    m_acc = 0;
    m_count = 0;
    m_out.Cursor() = bits.Cursor();
}

void CJpegHuffmanEncoder::EncodeBlock(const int16_t block[64], uint64_t nonZero, int32_t &lastDc,
                                      const JpegDerivedTable &dc, const JpegDerivedTable &ac) {
    // Local copies: the bytes written through the cursor could alias the
    // members and would force them to memory after every code.
    CJpegBitWriter bits(m_acc, m_count, m_out.Cursor());
    // A negative value v is sent as the low bits of v - 1 (T.81 F.1.2.1).
    int32_t diff = block[0] - lastDc;
    lastDc = block[0];
    int32_t sign = diff >> 31;
    uint32_t magnitude = static_cast<uint32_t>((diff ^ sign) - sign);
    int nbits = BitLength(magnitude);
    uint32_t extra = static_cast<uint32_t>(diff + sign) & ((1u << nbits) - 1);
    bits.Put((dc.code[nbits] << nbits) | extra, dc.size[nbits] + nbits);

    // Only the non-zero coefficients are visited; the zeros between them
    // are the run.
    int previous = 0;
    for (uint64_t left = nonZero & ~uint64_t(1); left; left &= left - 1) {
        const int k = __builtin_ctzll(left);
        const int32_t v = block[kJpegNaturalOrder[k]];
        int run = k - previous - 1;
        previous = k;
        while (run > 15) {
            bits.Put(ac.code[kZeroRunLength], ac.size[kZeroRunLength]);
            run -= 16;
        }
        sign = v >> 31;
        magnitude = static_cast<uint32_t>((v ^ sign) - sign);
        nbits = BitLength(magnitude);
        extra = static_cast<uint32_t>(v + sign) & ((1u << nbits) - 1);
        const int symbol = (run << 4) | nbits;
        bits.Put((ac.code[symbol] << nbits) | extra, ac.size[symbol] + nbits);
    }
    if (previous < 63)
        bits.Put(ac.code[kEndOfBlock], ac.size[kEndOfBlock]);
    m_acc = bits.Acc();
    m_count = bits.Count();
    m_out.Cursor() = bits.Cursor();
}

}  // namespace corv
