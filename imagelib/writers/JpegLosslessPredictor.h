#pragma once
// CJpegLosslessPredictor: the sample predictions of the lossless process
// (T.81 H.1.2.1) for one scan, and the scaling of its reconstructed
// samples to the library's 8-bit samples.
#include <cstdint>

namespace corv {

class CJpegLosslessPredictor {
public:
    // Predictor 1..7, precision 2..16, point transform below the precision;
    // false otherwise.
    bool Start(int predictor, int precision, int pointTransform);

    // The prediction for a sample from its neighbours left (a), above (b)
    // and above left (c) in the component's lines. The first line of a
    // scan or restart interval predicts from the left only, starting from
    // half the range; the first column of other lines from above.
    int Predict(bool firstLine, bool firstColumn, int a, int b, int c) const;

    // A reconstructed sample (prediction plus difference, modulo 2^16).
    static uint16_t Reconstruct(int prediction, int difference) {
        return static_cast<uint16_t>(prediction + difference);
    }

    // The sample at 8 bits: shifted back by the point transform to the
    // frame's precision, then rescaled from that range to 0..255 with
    // rounding (a PNM reader's maxval rule). The image model holds 8-bit
    // samples only; deeper files (12- and 16-bit scans) are scaled rather
    // than refused because a reader of this library wants the picture, and
    // the rounding gives the level any viewer shows. Precision 8 comes out
    // unchanged.
    uint8_t ToByte(uint16_t sample) const;

private:
    int m_predictor = 1;
    int m_pointTransform = 0;
    int m_initial = 128;
    uint32_t m_max = 255;
};

}  // namespace corv
