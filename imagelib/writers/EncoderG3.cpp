#include "EncoderG3.h"

namespace corv {

DEncoderG3::DEncoderG3(int columns, int whiteIsZero, int byteAlign, int eolMode, int endCode)
    : m_columns(columns),
      m_whiteByte(whiteIsZero ? 0x00 : 0xFF),
      m_byteAlign(byteAlign != 0),
      m_eolMode(eolMode != 0),
      m_endCode(endCode != 0) {}

void DEncoderG3::Reset() {
    m_acc = 0;
    m_accBits = 0;
    m_overflow = false;
}

void DEncoderG3::BeginOutput(uint8_t *buffer, int capacity) {
    m_out = buffer;
    m_outPos = 0;
    m_outCapacity = capacity;
}

int DEncoderG3::EndOutput() {
    Drain();
    return m_overflow ? -1 : m_outPos;
}

void DEncoderG3::Drain() {
    while (m_accBits >= 8) {
        m_accBits -= 8;
        uint8_t byte = static_cast<uint8_t>(m_acc >> m_accBits);
        if (m_outPos < m_outCapacity)
            m_out[m_outPos++] = byte;
        else
            m_overflow = true;
    }
    m_acc &= (uint64_t{1} << m_accBits) - 1;
}

void DEncoderG3::FlushBits() {
    if (int used = m_accBits & 7)
        Put({0, static_cast<uint8_t>(8 - used)});
}

void DEncoderG3::PutRun(int run, bool black) {
    while (run >= fax::kMaxExtendedRun) {
        Put(fax::kExtendedMakeUp[12]);
        run -= fax::kMaxExtendedRun;
    }
    if (run >= 64) {
        int makeUp = run / 64;
        if (makeUp <= 27)
            Put(black ? fax::kBlackMakeUp[makeUp - 1] : fax::kWhiteMakeUp[makeUp - 1]);
        else
            Put(fax::kExtendedMakeUp[makeUp - 28]);
        run %= 64;
    }
    Put(black ? fax::kBlackTerminating[run] : fax::kWhiteTerminating[run]);
}

void DEncoderG3::PadForAlignedEol() {
    // An EOL is 12 bits: it ends on a byte boundary when it starts 4 bits in.
    int k = m_accBits & 7;
    if (k > 4)
        Put({0, static_cast<uint8_t>(12 - k)});
    else if (k < 4)
        Put({0, static_cast<uint8_t>(4 - k)});
}

void DEncoderG3::CodeRuns(const std::vector<int> &changes) {
    // A line that starts black begins with a white run of 0.
    int pos = 0;
    bool black = false;
    for (size_t i = 0; changes[i] < m_columns; ++i) {
        PutRun(changes[i] - pos, black);
        pos = changes[i];
        black = !black;
    }
    PutRun(m_columns - pos, black);
}

int DEncoderG3::EncodeLine(uint8_t *buffer, int /*length*/, int capacity) {
    if (m_overflow)
        return -1;
    // The code goes back into the line's own buffer, so every change is found
    // before the first code byte is written.
    fax::FindChanges(buffer, m_columns, m_whiteByte, m_changes);
    BeginOutput(buffer, capacity);
    if (m_eolMode) {
        if (m_byteAlign)
            PadForAlignedEol();
        Put(fax::kEol);
    }
    CodeRuns(m_changes);
    if (m_byteAlign && !m_eolMode)
        FlushBits();
    return EndOutput();
}

int DEncoderG3::End(uint8_t *buffer, int length, int capacity) {
    int written = 0;
    if (length > 0) {
        written = EncodeLine(buffer, length, capacity);
        if (written < 0)
            return -1;
    }
    BeginOutput(buffer + written, capacity - written);
    if (m_endCode) {
        if (m_byteAlign && m_eolMode)
            PadForAlignedEol();
        for (int i = 0; i < 6; ++i)
            Put(fax::kEol);
    }
    FlushBits();
    int tail = EndOutput();
    return tail < 0 ? -1 : written + tail;
}

}  // namespace corv
