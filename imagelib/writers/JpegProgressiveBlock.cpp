#include "JpegProgressiveBlock.h"

#include "JpegTables.h"

namespace corv {
namespace {

// The value of `size` extra bits of a magnitude category (T.81 F.2.2.1).
int Extend(uint32_t bits, int size) {
    const int v = static_cast<int>(bits);
    return v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
}

// A coefficient scaled by the point transform; a hostile stream may ask for
// more than 16 bits, which wrap as the coefficient store does.
int16_t Scaled(int value, int al) {
    return static_cast<int16_t>(static_cast<uint32_t>(value) << al);
}

}  // namespace

bool CJpegProgressiveBlock::Start(int ss, int se, int ah, int al) {
    // A DC scan carries no AC band; an AC band lies within 1..63; a
    // refinement adds exactly one bit below the one before it.
    const bool band = ss == 0 ? se == 0 : ss <= se && se <= 63;
    if (!band || al > 13 || (ah != 0 && ah != al + 1))
        return false;
    m_ss = ss;
    m_se = se;
    m_ah = ah;
    m_al = al;
    m_eobRun = 0;
    return true;
}

bool CJpegProgressiveBlock::DecodeDc(CJpegBitReader &bits, const CJpegHuffmanDecoder &dc,
                                     int &predictor, int16_t block[64]) const {
    if (m_ah != 0) {
        if (bits.Get(1))
            block[0] = static_cast<int16_t>(block[0] | (1 << m_al));
        return true;
    }
    const int s = dc.Decode(bits);
    if (s < 0 || s > 11)
        return false;
    if (s)
        // Kept to 16 bits as the coefficient is: differences may add up
        // without end in a hostile stream.
        predictor = static_cast<int16_t>(predictor + Extend(bits.Get(s), s));
    block[0] = Scaled(predictor, m_al);
    return true;
}

bool CJpegProgressiveBlock::DecodeAc(CJpegBitReader &bits, const CJpegHuffmanDecoder &ac,
                                     int16_t block[64]) {
    return m_ah == 0 ? DecodeAcFirst(bits, ac, block) : DecodeAcRefine(bits, ac, block);
}

void CJpegProgressiveBlock::StartEobRun(CJpegBitReader &bits, int r) {
    m_eobRun = 1u << r;
    if (r)
        m_eobRun += bits.Get(r);
}

bool CJpegProgressiveBlock::DecodeAcFirst(CJpegBitReader &bits, const CJpegHuffmanDecoder &ac,
                                          int16_t block[64]) {
    if (m_eobRun > 0) {
        --m_eobRun;
        return true;
    }
    for (int k = m_ss; k <= m_se; ++k) {
        const int rs = ac.Decode(bits);
        if (rs < 0)
            return false;
        const int r = rs >> 4, s = rs & 15;
        if (s == 0) {
            if (r == 15) {
                k += 15;
                continue;
            }
            StartEobRun(bits, r);
            --m_eobRun;
            return true;
        }
        k += r;
        if (k > m_se || s > 10)
            return false;
        block[kJpegNaturalOrder[k]] = Scaled(Extend(bits.Get(s), s), m_al);
    }
    return true;
}

void CJpegProgressiveBlock::Refine(CJpegBitReader &bits, int16_t &coefficient) const {
    const int bit = 1 << m_al;
    if (bits.Get(1) && (coefficient & bit) == 0)
        coefficient =
            static_cast<int16_t>(coefficient >= 0 ? coefficient + bit : coefficient - bit);
}

bool CJpegProgressiveBlock::DecodeAcRefine(CJpegBitReader &bits, const CJpegHuffmanDecoder &ac,
                                           int16_t block[64]) {
    int k = m_ss;
    if (m_eobRun == 0) {
        for (; k <= m_se; ++k) {
            const int rs = ac.Decode(bits);
            if (rs < 0)
                return false;
            int r = rs >> 4;
            const int s = rs & 15;
            int value = 0;
            if (s != 0) {
                // A newly nonzero coefficient is always +-1 at this bit.
                if (s != 1)
                    return false;
                value = bits.Get(1) ? 1 << m_al : -(1 << m_al);
            } else if (r != 15) {
                StartEobRun(bits, r);
                break;  // the rest of the band is refined as in a run
            }
            // Skip r zero coefficients (refining the nonzero ones passed
            // on the way) and stop on the zero that takes the new value.
            for (; k <= m_se; ++k) {
                int16_t &coefficient = block[kJpegNaturalOrder[k]];
                if (coefficient != 0)
                    Refine(bits, coefficient);
                else if (--r < 0)
                    break;
            }
            if (value != 0) {
                if (k > m_se)
                    return false;
                block[kJpegNaturalOrder[k]] = static_cast<int16_t>(value);
            }
        }
    }
    if (m_eobRun > 0) {
        for (; k <= m_se; ++k) {
            int16_t &coefficient = block[kJpegNaturalOrder[k]];
            if (coefficient != 0)
                Refine(bits, coefficient);
        }
        --m_eobRun;
    }
    return true;
}

}  // namespace corv
