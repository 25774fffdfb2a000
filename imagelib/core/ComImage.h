#pragma once
// CComImage: the abstract image of the library. The writers use it only for
// the colour-kind arithmetic and, on the JPEG path, as the encoder target.
#include "ComFile.h"

#include <cstdint>

namespace corv {

struct ImageBand;

// Colour kinds as the library numbers them.
enum : int {
    kKindBilevel = 1,
    kKindGray4 = 2,
    kKindGray8 = 3,
    kKindPalette4 = 4,
    kKindPalette8 = 5,
    kKindColour16 = 6,
    kKindRgb24 = 7,
    kKindFour32 = 8,
};

class CComImage {
public:
    CComImage() = default;
    virtual ~CComImage();
    CComImage(const CComImage &) = delete;
    CComImage &operator=(const CComImage &) = delete;

    virtual int FormatKind() const { return -1; }
    virtual void SetStreamBorrowed(bool borrowed) { m_streamBorrowed = borrowed; }
    virtual int64_t EncodedLength() const { return m_encodedLength; }

    // Raise kErrUnknownColourKind for a kind outside 1..8.
    static int BytesPerRow(int width, int colourKind);
    static int BitsPerSample(int colourKind);
    static int SamplesPerPixel(int colourKind);

    virtual void OpenWrite(CComFile *stream, int width, int height, int colourKind,
                           int resolution) = 0;
    virtual void WriteBand(const ImageBand &band) = 0;
    virtual void Finish() = 0;

protected:
    CComFile *m_stream = nullptr;
    bool m_streamBorrowed = false;
    int64_t m_encodedLength = 0;
    int m_colourKind = 0;
    int m_bytesPerRow = 0;
    int m_samplesPerPixel = 0;
    int32_t m_xResolution = 0;  // 16.16 fixed point, dots per inch
    int32_t m_yResolution = 0;
};

}  // namespace corv
