#include "JpegHuffmanEncoder.h"

#include <bit>
#include <cstring>

namespace corv {
namespace {

constexpr uint8_t kZeroRunLength = 0xF0;
constexpr uint8_t kEndOfBlock = 0x00;
constexpr int kPadBits = 7;
// Low bits of JpegDerivedTable::withValue that hold the total length.
constexpr int kSizeBits = 8;

// Quantised AC values lie within +-2175 (coefficients of 8-bit samples
// over steps of at least 8): for each, its value bits (the low bits of v, or
// of v - 1 when negative, T.81 F.1.2.1) below its bit count << 12. A table
// lookup is shorter than the sign, bit-count and mask chain it replaces.
constexpr int kValueLimit = 4096;
constexpr int kValueBits = 12;

struct CoefficientBitsTable {
    uint16_t entry[2 * kValueLimit];
};

constexpr CoefficientBitsTable MakeCoefficientBits() {
    CoefficientBitsTable t{};
    for (int v = -kValueLimit; v < kValueLimit; ++v) {
        const int magnitude = v < 0 ? -v : v;
        int nbits = 0;
        while (magnitude >> nbits)
            ++nbits;
        const int extra = (v < 0 ? v - 1 : v) & ((1 << nbits) - 1);
        t.entry[v + kValueLimit] = static_cast<uint16_t>(nbits << kValueBits | extra);
    }
    return t;
}

constexpr CoefficientBitsTable kCoefficientBits = MakeCoefficientBits();

// Number of bits in the magnitude of v (0 for 0).
inline int BitLength(uint32_t v) {
    return v ? 32 - __builtin_clz(v) : 0;
}

// The word is stored byte-swapped, which is big-endian only from a
// little-endian host.
static_assert(std::endian::native == std::endian::little);

// The bit buffer while a block is coded: the newest bits are the lowest,
// `count` of them are pending.
class CJpegBitWriter {
public:
    CJpegBitWriter(uint64_t acc, int count, uint8_t *next)
        : m_acc(acc), m_count(count), m_next(next) {}

    // `count` is 1..31. The buffer goes out only when a code fills all its
    // 64 bits, one branch that is rarely taken, rather than a branch on a
    // 32-bit word that no predictor guesses.
    [[gnu::always_inline]] void Put(uint64_t bits, int count) {
        const int room = 64 - m_count;
        if (count < room) [[likely]] {
            m_acc = (m_acc << count) | bits;
            m_count += count;
            return;
        }
        // The code's first `room` bits complete the word; the rest stay,
        // and the code's bits above them leave the buffer, shifted out,
        // before the next word is complete.
        const int rest = count - room;
        EmitWord((m_acc << room) | (bits >> rest));
        m_acc = bits;
        m_count = rest;
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
    [[gnu::always_inline]] void EmitWord(uint64_t w) {
        // A byte of w is 0xFF exactly when the same byte of ~w is zero.
        const uint64_t inv = ~w;
        if (((inv - 0x0101010101010101ull) & ~inv & 0x8080808080808080ull) == 0) [[likely]] {
            const uint64_t bigEndian = __builtin_bswap64(w);
            std::memcpy(m_next, &bigEndian, sizeof bigEndian);
            m_next += sizeof bigEndian;
            return;
        }
        for (int shift = 56; shift >= 0; shift -= 8)
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
            const int valueBits = isDc ? symbol : symbol & 0x0F;
            out.withValue[symbol] =
                (uint64_t{code} << valueBits) << kSizeBits | uint64_t(length + valueBits);
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
    uint64_t extra = static_cast<uint32_t>(diff + sign) & ((1u << nbits) - 1);
    uint64_t entry = dc.withValue[nbits];
    bits.Put((entry >> kSizeBits) | extra, static_cast<int>(entry & 0xFF));

    // Only the non-zero coefficients are visited (none has 0 bits); the
    // zeros between them are the run.
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
        // The mask only keeps the index inside the table.
        const uint32_t valueBits =
            kCoefficientBits.entry[(v + kValueLimit) & (2 * kValueLimit - 1)];
        nbits = static_cast<int>(valueBits >> kValueBits);
        extra = valueBits & ((1u << kValueBits) - 1);
        entry = ac.withValue[(run << 4) | nbits];
        bits.Put((entry >> kSizeBits) | extra, static_cast<int>(entry & 0xFF));
    }
    if (previous < 63)
        bits.Put(ac.code[kEndOfBlock], ac.size[kEndOfBlock]);
    m_acc = bits.Acc();
    m_count = bits.Count();
    m_out.Cursor() = bits.Cursor();
}

}  // namespace corv
