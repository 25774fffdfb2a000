#include "JpegLosslessPredictor.h"

namespace corv {

bool CJpegLosslessPredictor::Start(int predictor, int precision, int pointTransform) {
    if (predictor < 1 || predictor > 7 || precision < 2 || precision > 16 || pointTransform < 0 ||
        pointTransform >= precision)
        return false;
    m_predictor = predictor;
    m_pointTransform = pointTransform;
    m_initial = 1 << (precision - pointTransform - 1);
    m_max = (uint32_t{1} << precision) - 1;
    return true;
}

int CJpegLosslessPredictor::Predict(bool firstLine, bool firstColumn, int a, int b, int c) const {
    if (firstLine)
        return firstColumn ? m_initial : a;
    if (firstColumn)
        return b;
    // Arithmetic shifts and integer sums on the unsigned 16-bit samples,
    // as the reference decoders compute them.
    switch (m_predictor) {
        case 1:
            return a;
        case 2:
            return b;
        case 3:
            return c;
        case 4:
            return a + b - c;
        case 5:
            return a + ((b - c) >> 1);
        case 6:
            return b + ((a - c) >> 1);
        default:
            return (a + b) >> 1;
    }
}

uint8_t CJpegLosslessPredictor::ToByte(uint16_t sample) const {
    uint32_t v = uint32_t{sample} << m_pointTransform;
    // Only a corrupt stream reconstructs a sample beyond the precision.
    if (v > m_max)
        v = m_max;
    if (m_max == 255)
        return static_cast<uint8_t>(v);
    return static_cast<uint8_t>((v * 255 + m_max / 2) / m_max);
}

}  // namespace corv
