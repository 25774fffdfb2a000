#pragma once
// CJpegHuffmanEncoder: codes quantised blocks with the derived code tables
// through a 64-bit bit buffer; a whole 64-bit word is emitted at a time and
// only a word holding 0xFF takes the byte-by-byte stuffing path. The buffer
// lives in registers while a block is coded.
#include "JpegOutput.h"
#include "JpegTables.h"

#include <cstdint>

namespace corv {

// Code and length of every symbol of one table, and the same ready for a
// coefficient: the code shifted left over the value bits that follow it
// (as many as the symbol's low four bits, all of a DC symbol), above eight
// bits holding code length plus value bits.
struct JpegDerivedTable {
    uint32_t code[256];
    uint8_t size[256];
    uint64_t withValue[256];
};

// Builds the codes of T.81 Annex C; false when BITS holds more codes than
// their lengths allow or a symbol repeats.
bool DeriveHuffmanTable(const JpegHuffmanDefinition &definition, bool isDc, JpegDerivedTable &out);

class CJpegHuffmanEncoder {
public:
    explicit CJpegHuffmanEncoder(CJpegOutput &out) : m_out(out) {}

    // `block` is one quantised block in natural order, `nonZero` the mask of
    // its non-zero entries in zigzag order (bit k for zigzag position k);
    // `lastDc` the predictor.
    void EncodeBlock(const int16_t block[64], uint64_t nonZero, int32_t &lastDc,
                     const JpegDerivedTable &dc, const JpegDerivedTable &ac);
    // Pads the last byte with 1-bits and writes what the buffer holds.
    void FlushBits();

    // The most bytes one block can produce (every code stuffed).
    static constexpr size_t kMaxBlockBytes = 1024;

private:
    CJpegOutput &m_out;
    uint64_t m_acc = 0;
    int m_count = 0;
};

}  // namespace corv
