#include "EncoderG3.h"

namespace corv {

DEncoderG3::DEncoderG3(int columns, int whiteIsZero, int byteAlign, int eolMode, int endCode)
    : m_columns(columns),
      m_whiteByte(whiteIsZero ? 0x00 : 0xFF),
      m_byteAlign(byteAlign != 0),
      m_eolMode(eolMode != 0),
      m_endCode(endCode != 0) {}

void DEncoderG3::Reset() {
    m_writer = {};
}

void DEncoderG3::BeginOutput(uint8_t *buffer, int capacity) {
    m_writer.out = buffer;
    m_writer.pos = 0;
    m_writer.capacity = capacity;
}

int DEncoderG3::EndOutput() {
    m_writer.DrainBytes();
    return m_writer.overflow ? -1 : m_writer.pos;
}

void DEncoderG3::FlushBits() {
    if (int used = m_writer.bits & 7)
        Put({0, static_cast<uint8_t>(8 - used)});
}

void DEncoderG3::PadForAlignedEol() {
    // An EOL is 12 bits: it ends on a byte boundary when it starts 4 bits in.
    int k = m_writer.bits & 7;
    if (k > 4)
        Put({0, static_cast<uint8_t>(12 - k)});
    else if (k < 4)
        Put({0, static_cast<uint8_t>(4 - k)});
}

void DEncoderG3::CodeRuns(const std::vector<int> &changes) {
    // A line that starts black begins with a white run of 0.
    fax::BitWriter w = m_writer;
    int pos = 0;
    bool black = false;
    for (size_t i = 0; changes[i] < m_columns; ++i) {
        w.PutRun(changes[i] - pos, black);
        pos = changes[i];
        black = !black;
    }
    w.PutRun(m_columns - pos, black);
    m_writer = w;
}

int DEncoderG3::EncodeLine(uint8_t *buffer, int /*length*/, int capacity) {
    if (Failed())
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
