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
    void MarkFailed() { m_writer.overflow = true; }
    bool Failed() const { return m_writer.overflow; }
    // Output window over the caller's buffer; the partial byte stays in the
    // writer across calls.
    void BeginOutput(uint8_t *buffer, int capacity);
    int EndOutput();
    void Put(fax::Code code) { m_writer.Put(code); }
    void FlushBits();
    void PadForAlignedEol();
    void CodeRuns(const std::vector<int> &changes);

    int m_columns;
    uint8_t m_whiteByte;
    bool m_byteAlign;
    bool m_eolMode;
    bool m_endCode;
    std::vector<int> m_changes;
    fax::BitWriter m_writer;
};

}  // namespace corv
