#pragma once
// DEncoderG4: ITU-T T.6 two-dimensional coding, each line against the
// previous one (all white before the first), ended by EOFB.
#include "EncoderG3.h"

#include <vector>

namespace corv {

class DEncoderG4 : public DEncoderG3 {
public:
    explicit DEncoderG4(int columns);

    int EncodeLine(uint8_t *buffer, int length, int capacity) override;
    int End(uint8_t *buffer, int length, int capacity) override;
    void Reset() override;
    void Release() override;

private:
    void CodeAgainstReference();

    // Changing elements of the coding and the reference line; the coding
    // line's become the next line's reference.
    std::vector<int> m_coding;
    std::vector<int> m_reference;
    bool m_haveReference = false;
};

}  // namespace corv
