#pragma once
// CJpegProgressiveBlock: the entropy decoding of one block in one scan of a
// progressive JPEG stream (T.81 G.1.2): the first DC scan and its
// refinements, and the spectral bands of the AC coefficients with their
// end-of-band runs and refinements. Coefficients are kept in natural order
// and not yet dequantised, as the sequential decoder keeps them.
#include "JpegHuffmanDecoder.h"

#include <cstdint>

namespace corv {

class CJpegProgressiveBlock {
public:
    // Ss, Se, Ah and Al of the scan; false when T.81 forbids them.
    bool Start(int ss, int se, int ah, int al);
    // A restart ends any end-of-band run.
    void Restart() { m_eobRun = 0; }
    bool IsDc() const { return m_ss == 0; }
    bool IsRefinement() const { return m_ah != 0; }

    // False for a code that no table holds or a band that runs past 63.
    bool DecodeDc(CJpegBitReader &bits, const CJpegHuffmanDecoder &dc, int &predictor,
                  int16_t block[64]) const;
    bool DecodeAc(CJpegBitReader &bits, const CJpegHuffmanDecoder &ac, int16_t block[64]);

private:
    bool DecodeAcFirst(CJpegBitReader &bits, const CJpegHuffmanDecoder &ac, int16_t block[64]);
    bool DecodeAcRefine(CJpegBitReader &bits, const CJpegHuffmanDecoder &ac, int16_t block[64]);
    // One correction bit for a coefficient already known to be nonzero.
    void Refine(CJpegBitReader &bits, int16_t &coefficient) const;
    void StartEobRun(CJpegBitReader &bits, int r);

    int m_ss = 0, m_se = 0, m_ah = 0, m_al = 0;
    uint32_t m_eobRun = 0;  // blocks of the band still to end at once
};

}  // namespace corv
