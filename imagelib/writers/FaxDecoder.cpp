#include "FaxDecoder.h"

#include "FaxCodes.h"
#include "ImageError.h"

#include <algorithm>
#include <cstring>

namespace corv {
namespace {

constexpr int kRunBits = 13;  // the longest run code
constexpr int kEolBits = 12;

struct RunEntry {
    int16_t run = -1;  // -1: no code
    uint8_t length = 0;
};

// Run codes of one colour, looked up by their next 13 bits.
struct RunTable {
    RunEntry entries[1 << kRunBits];
    explicit RunTable(bool black) {
        auto add = [&](const fax::Code &c, int run) {
            const int shift = kRunBits - c.length;
            for (int fill = 0; fill < (1 << shift); ++fill)
                entries[(c.bits << shift) | fill] = {static_cast<int16_t>(run), c.length};
        };
        const fax::Code *terminating = black ? fax::kBlackTerminating : fax::kWhiteTerminating;
        const fax::Code *makeUp = black ? fax::kBlackMakeUp : fax::kWhiteMakeUp;
        for (int i = 0; i < 64; ++i)
            add(terminating[i], i);
        for (int i = 0; i < 27; ++i)
            add(makeUp[i], (i + 1) * 64);
        for (int i = 0; i < 13; ++i)
            add(fax::kExtendedMakeUp[i], 1792 + i * 64);
    }
};

const RunTable &Runs(bool black) {
    static const RunTable kWhite(false), kBlack(true);
    return black ? kBlack : kWhite;
}

enum : int { kPass = 10, kHorizontal = 11 };

[[noreturn]] void Corrupt() {
    SetTiffLastError(static_cast<int>(kErrTiffCorrupt));
    RaiseImageError(kErrTiffCorrupt);
}

}  // namespace

DFaxDecoder::DFaxDecoder(Mode mode, int width, const uint8_t *data, size_t length)
    : m_mode(mode), m_width(width), m_data(data), m_bytes(length), m_bits(length * 8) {
    // The row above the first is white: its only change is the end.
    m_reference.assign(2, width);
}

void DFaxDecoder::Refill() {
    // Past the end the data reads as zeros, which decode to no code.
    while (m_accBits <= 56) {
        const uint64_t byte = m_next < m_bytes ? m_data[m_next] : 0;
        ++m_next;
        m_acc |= byte << (56 - m_accBits);
        m_accBits += 8;
    }
}

bool DFaxDecoder::SkipEol() {
    // Fill bits (zeros) may stand before an EOL; no code holds twelve
    // zeros, so only fill can. Without an EOL nothing is taken.
    for (;;) {
        if (m_bit >= m_bits)
            Corrupt();
        const uint32_t next = Peek(kEolBits);
        if (next == 1) {
            Skip(kEolBits);
            return true;
        }
        if (next != 0)
            return false;
        Skip(1);
    }
}

int DFaxDecoder::ReadRun(bool black) {
    const RunTable &table = Runs(black);
    int total = 0;
    for (;;) {
        if (m_bit >= m_bits)
            Corrupt();
        const RunEntry &e = table.entries[Peek(kRunBits)];
        if (e.run < 0)
            Corrupt();
        Skip(e.length);
        total += e.run;
        if (total > m_width)
            Corrupt();
        if (e.run < 64)
            return total;
    }
}

void DFaxDecoder::AddChange(int at) {
    if (at > m_width || (!m_coding.empty() && at < m_coding.back()))
        Corrupt();
    m_coding.push_back(at);
}

void DFaxDecoder::DecodeOneD() {
    int a0 = 0;
    bool black = false;
    while (a0 < m_width) {
        a0 += ReadRun(black);
        AddChange(a0);
        black = !black;
    }
}

void DFaxDecoder::DecodeTwoD() {
    int a0 = -1;
    bool black = false;
    size_t b = 0;  // search start in the reference changes
    while (a0 < m_width) {
        // b1: the first change above, right of a0, to the colour opposite
        // a0's (changes at even indices turn black).
        const int start = a0 < 0 ? 0 : a0 + 1;
        while (b < m_reference.size() && (m_reference[b] < start || (b & 1) != (black ? 1u : 0u)))
            ++b;
        const int b1 = b < m_reference.size() ? m_reference[b] : m_width;
        const int b2 = b + 1 < m_reference.size() ? m_reference[b + 1] : m_width;
        if (m_bit >= m_bits)
            Corrupt();
        const uint32_t code = Peek(7);
        int mode;
        int length;
        if (code >> 6 == 1) {
            mode = 0, length = 1;  // V0
        } else if (code >> 4 == 3) {
            mode = 1, length = 3;  // VR1
        } else if (code >> 4 == 2) {
            mode = -1, length = 3;  // VL1
        } else if (code >> 4 == 1) {
            mode = kHorizontal, length = 3;
        } else if (code >> 3 == 1) {
            mode = kPass, length = 4;
        } else if (code >> 1 == 3) {
            mode = 2, length = 6;
        } else if (code >> 1 == 2) {
            mode = -2, length = 6;
        } else if (code == 3) {
            mode = 3, length = 7;
        } else if (code == 2) {
            mode = -3, length = 7;
        } else {
            Corrupt();
        }
        Skip(length);
        if (mode == kPass) {
            a0 = b2;
            if (a0 > m_width)
                Corrupt();
            continue;
        }
        if (mode == kHorizontal) {
            const int from = a0 < 0 ? 0 : a0;
            const int a1 = from + ReadRun(black);
            const int a2 = a1 + ReadRun(!black);
            AddChange(std::min(a1, m_width));
            AddChange(std::min(a2, m_width));
            a0 = a2;
            if (a0 > m_width)
                Corrupt();
            continue;
        }
        const int a1 = b1 + mode;
        if (a1 < 0 || a1 < a0)
            Corrupt();
        AddChange(a1);
        a0 = a1;
        black = !black;
        // The next b1 lies right of the new a0; the search may step back one.
        b = b > 0 ? b - 1 : 0;
    }
}

void DFaxDecoder::FillBlack(uint8_t *row, int from, int to) {
    if (from >= to)
        return;
    const int first = from >> 3, last = (to - 1) >> 3;
    const auto head = static_cast<uint8_t>(0xFF >> (from & 7));
    const auto tail = static_cast<uint8_t>(0xFF << (7 - ((to - 1) & 7)));
    if (first == last) {
        row[first] |= head & tail;
        return;
    }
    row[first] |= head;
    std::memset(row + first + 1, 0xFF, size_t(last - first - 1));
    row[last] |= tail;
}

void DFaxDecoder::DecodeRow(uint8_t *out) {
    m_coding.clear();
    bool twoD = m_mode == Mode::G4;
    if (m_mode != Mode::G4) {
        SkipEol();
        if (m_mode == Mode::G3TwoD) {
            twoD = Peek(1) == 0;
            Skip(1);
        }
    }
    if (twoD)
        DecodeTwoD();
    else
        DecodeOneD();
    const size_t rowBytes = (size_t(m_width) + 7) / 8;
    std::memset(out, 0, rowBytes);
    for (size_t i = 0; i < m_coding.size(); i += 2) {
        const int to = i + 1 < m_coding.size() ? m_coding[i + 1] : m_width;
        FillBlack(out, m_coding[i], std::min(to, m_width));
    }
    m_reference = m_coding;
    m_reference.push_back(m_width);
    m_reference.push_back(m_width);
}

}  // namespace corv
