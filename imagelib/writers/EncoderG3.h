#pragma once
// DEncoderG3: ITU-T T.4 one-dimensional (Modified Huffman) coding of packed
// bilevel lines, most significant bit first, with optional EOL codes,
// byte alignment and RTC.
#include "Encoder.h"
#include "FaxCodes.h"

#include <vector>

namespace corv {

class DEncoderG3 : public DEncoder {
public:
    DEncoderG3(int columns, int whiteIsZero, int byteAlign, int eolMode, int endCode);

    int EncodeLine(uint8_t *buffer, int length, int capacity) override;
    int End(uint8_t *buffer, int length, int capacity) override;
    void Reset() override;

    int Columns() const { return m_columns; }

protected:
    // Makes every later call fail (-1) until Reset, like a full window.
    void MarkFailed() { m_overflow = true; }
    bool Failed() const { return m_overflow; }
    // Output window over the caller's buffer; the partial byte stays in
    // m_bits across calls.
    void BeginOutput(uint8_t *buffer, int capacity);
    int EndOutput();
    void Put(fax::Code code) {
        m_acc = (m_acc << code.length) | code.bits;
        m_accBits += code.length;
        if (m_accBits >= 32)
            Drain();
    }
    void PutRun(int run, bool black);
    void FlushBits();
    void PadForAlignedEol();
    void CodeRuns(const std::vector<int> &changes);

    int m_columns;
    uint8_t m_whiteByte;
    bool m_byteAlign;
    bool m_eolMode;
    bool m_endCode;
    std::vector<int> m_changes;

private:
    void Drain();

    // Codes collect here (at most 44 bits) and leave in whole bytes.
    uint64_t m_acc = 0;
    int m_accBits = 0;
    uint8_t *m_out = nullptr;
    int m_outPos = 0;
    int m_outCapacity = 0;
    bool m_overflow = false;
};

}  // namespace corv
