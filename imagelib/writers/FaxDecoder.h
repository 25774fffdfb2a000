#pragma once
// DFaxDecoder: decodes CCITT Group 3 (one- or two-dimensional, with EOLs,
// fill bits allowed) and Group 4 rows. Rows come out as a TIFF stores them
// with PhotometricInterpretation 0: white 0, black 1, most significant bit
// first. Codes that do not fit the row raise the TIFF library's "corrupt
// tiff file".
#include <cstddef>
#include <cstdint>
#include <vector>

namespace corv {

class DFaxDecoder {
public:
    enum class Mode { G3OneD, G3TwoD, G4 };

    DFaxDecoder(Mode mode, int width, const uint8_t *data, size_t length);
    // Decodes the next row into `out` ((width + 7) / 8 bytes).
    void DecodeRow(uint8_t *out);

private:
    uint32_t Peek(int n) {
        if (m_accBits < n)
            Refill();
        return static_cast<uint32_t>(m_acc >> (64 - n));
    }
    void Skip(int n) {
        m_acc <<= n;
        m_accBits -= n;
        m_bit += size_t(n);
    }
    void Refill();
    static void FillBlack(uint8_t *row, int from, int to);
    bool SkipEol();
    int ReadRun(bool black);
    void DecodeOneD();
    void DecodeTwoD();
    void AddChange(int at);

    Mode m_mode;
    int m_width;
    const uint8_t *m_data;
    size_t m_bytes;
    size_t m_bits;
    size_t m_bit = 0;    // bits taken
    size_t m_next = 0;   // next byte into the accumulator
    uint64_t m_acc = 0;  // left-aligned
    int m_accBits = 0;
    std::vector<int> m_reference;
    std::vector<int> m_coding;
};

}  // namespace corv
