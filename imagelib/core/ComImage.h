#pragma once
// CComImage: the abstract image of the library. The writers use it only for
// the colour-kind arithmetic and, on the JPEG path, as the encoder target;
// the readers fill its fields from a file and hand out rows top first, in
// the image's own colour kind or reduced by a dither.
#include "ComFile.h"
#include "ImageError.h"
#include "Palette.h"
#include "StreamCall.h"

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace corv {

struct ImageBand;
class CBandConverter;

struct ImageRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

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
    CComImage();
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

    ImageRect GetRect() const { return m_rect; }
    int Width() const { return m_rect.right - m_rect.left; }
    int Height() const { return m_rect.bottom - m_rect.top; }
    int ColourKind() const { return m_colourKind; }
    int RowBytes() const { return m_bytesPerRow; }
    int Samples() const { return m_samplesPerPixel; }
    int32_t XResolution() const { return m_xResolution; }
    int32_t YResolution() const { return m_yResolution; }
    const std::vector<uint8_t> &Comment() const { return m_comment; }
    const Palette &ImagePalette() const { return m_palette; }
    // The colours a palette image (kinds 4, 5) is written with.
    void SetPalette(const Palette &palette) { m_palette = palette; }

    // Reads the file's header into the fields above; the rows follow with
    // ReadBand. The base class reads nothing (kErrUnknownFormat).
    virtual void OpenRead(CComFile *stream);
    // Decodes the next `rows` rows (fewer at the bottom) into `band`, shaped
    // for the image's colour kind; returns the rows delivered.
    int ReadBand(ImageBand &band, int rows);

    // Conversion: rows handed to ConvertBand, or read by ReadConverted, come
    // out as `colourKind` (1 bilevel, 4 sixteen colours, 5 up to 256
    // colours) reduced with the dither of `method`. Palette targets use
    // `palette` (or, without one, a gray ramp for gray sources and the
    // system colours otherwise). An unknown method raises kErrInvalidArg.
    void SetConversion(int colourKind, int method, const Palette *palette = nullptr);
    void ConvertBand(const ImageBand &source, ImageBand &target);
    int ReadConverted(ImageBand &target, int rows);

    virtual void OpenWrite(CComFile *stream, int width, int height, int colourKind,
                           int resolution) = 0;
    virtual void WriteBand(const ImageBand &band) = 0;
    virtual void Finish() = 0;

protected:
    // A reader's row decoder: `rows` rows of m_bytesPerRow bytes, `stride`
    // apart, starting at m_nextRow.
    virtual void DecodeRows(uint8_t *out, int rows, size_t stride);
    // Runs a reader's header parsing with the stream lent for the call
    // (open, buffered, at its start); `fileLength` is the stream's size.
    template <typename ReadHeaders>
    void OpenForReading(CComFile *stream, ReadHeaders readHeaders);
    // Dots per inch as 16.16 fixed point, kept within 0..INT32_MAX: a file
    // may state any density.
    static int32_t FixedResolution(double dotsPerInch);
    // Sets rectangle, colour kind and the values derived from it.
    void SetGeometry(int width, int height, int colourKind);

    ImageRect m_rect;
    int m_nextRow = 0;
    std::vector<uint8_t> m_comment;
    Palette m_palette;

    CComFile *m_stream = nullptr;
    bool m_streamBorrowed = false;
    int64_t m_encodedLength = 0;
    int m_colourKind = 0;
    int m_bytesPerRow = 0;
    int m_samplesPerPixel = 0;
    int32_t m_xResolution = 0;  // 16.16 fixed point, dots per inch
    int32_t m_yResolution = 0;

private:
    std::unique_ptr<CBandConverter> m_converter;
    std::unique_ptr<ImageBand> m_readBand;
};

template <typename ReadHeaders>
void CComImage::OpenForReading(CComFile *stream, ReadHeaders readHeaders) {
    if (!stream)
        RaiseImageError(kErrInvalidArg);
    m_stream = stream;
    CStreamCall call(*stream, 0, kOpenRead);
    try {
        const int64_t size = stream->Size();
        readHeaders(size > 0 ? uint64_t(size) : 0);
    } catch (const std::bad_alloc &) {
        RaiseImageError(kErrNoMemory);
    }
    call.Done();
}

}  // namespace corv
