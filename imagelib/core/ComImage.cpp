#include "ComImage.h"

#include "ImageError.h"

namespace corv {
namespace {

struct KindInfo {
    int bitsPerPixel;
    int bitsPerSample;
    int samples;
};

// Indexed by colour kind − 1. Kind 6 is 5:5:5 colour in two bytes.
constexpr KindInfo kKinds[] = {
    {1, 1, 1}, {4, 4, 1}, {8, 8, 1}, {4, 4, 1}, {8, 8, 1}, {16, 5, 3}, {24, 8, 3}, {32, 8, 4},
};

const KindInfo &Info(int colourKind) {
    if (colourKind < 1 || colourKind > 8)
        RaiseImageError(kErrUnknownColourKind);
    return kKinds[colourKind - 1];
}

}  // namespace

CComImage::~CComImage() {
    if (!m_streamBorrowed)
        delete m_stream;
}

int CComImage::BytesPerRow(int width, int colourKind) {
    return (width * Info(colourKind).bitsPerPixel + 7) / 8;
}

int CComImage::BitsPerSample(int colourKind) {
    return Info(colourKind).bitsPerSample;
}

int CComImage::SamplesPerPixel(int colourKind) {
    return Info(colourKind).samples;
}

}  // namespace corv
