#include "EncoderG4.h"

#include <cstdlib>
#include <new>

namespace corv {

DEncoderG4::DEncoderG4(int columns) : DEncoderG3(columns, 0, 0, 0, 1) {}

void DEncoderG4::Reset() {
    DEncoderG3::Reset();
    m_haveReference = false;
}

void DEncoderG4::Release() {
    m_reference = {};
    m_coding = {};
    m_haveReference = false;
}

void DEncoderG4::CodeAgainstReference() {
    const int n = m_columns;
    const int *cur = m_coding.data();
    const int *ref = m_reference.data();
    // a0 starts on an imaginary white pixel before the line (position -1 for
    // the search, 0 for run lengths). Even change entries turn to black.
    int a0 = -1;
    bool black = false;
    size_t ia = 0, ib = 0;
    fax::BitWriter w = m_writer;
    while (a0 < n) {
        // b1: the first reference change right of a0 towards the colour
        // opposite to a0's, so the first entry of black's parity right of
        // a0; searched two entries a step from the previous b1, before
        // which it can lie.
        ib = (ib & ~size_t{1}) | static_cast<size_t>(black);
        while (ib >= 2 && ref[ib - 2] > a0)
            ib -= 2;
        while (ref[ib] <= a0)
            ib += 2;
        const int b1 = ref[ib], b2 = ref[ib + 1];
        const int a1 = cur[ia];
        if (b2 < a1) {
            w.Put(fax::kPass);
            a0 = b2;
        } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
            w.Put(fax::kVertical[a1 - b1 + 3]);
            a0 = a1;
            ++ia;
            black = !black;
        } else {
            const int a2 = cur[ia + 1];
            w.Put(fax::kHorizontal);
            w.PutRun(a1 - (a0 < 0 ? 0 : a0), black);
            w.PutRun(a2 - a1, !black);
            a0 = a2;
            ia += 2;
        }
    }
    m_writer = w;
}

int DEncoderG4::EncodeLine(uint8_t *buffer, int /*length*/, int capacity) {
    if (Failed())
        return -1;
    try {
        if (!m_haveReference) {
            // The first line is coded against an all-white line: no changes.
            m_reference.assign(fax::kChangeSentinels, m_columns);
            m_haveReference = true;
        }
        fax::FindChanges(buffer, m_columns, m_whiteByte, m_coding);
    } catch (const std::bad_alloc &) {
        // 0 is also the count of a line whose code fits in the bit buffer,
        // so the failure is kept and reported by every later call.
        MarkFailed();
        return 0;
    }
    BeginOutput(buffer, capacity);
    CodeAgainstReference();
    if (m_byteAlign)
        FlushBits();
    m_reference.swap(m_coding);
    return EndOutput();
}

int DEncoderG4::End(uint8_t *buffer, int length, int capacity) {
    if (length > 0 || Failed())
        return -1;
    BeginOutput(buffer, capacity);
    Put(fax::kEol);
    Put(fax::kEol);
    FlushBits();
    return EndOutput();
}

}  // namespace corv
