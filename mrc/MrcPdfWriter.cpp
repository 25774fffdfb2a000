#include "MrcPdfWriter.h"

#include "EncoderG4.h"
#include "ImageBand.h"
#include "ImageError.h"
#include "JPEGImage.h"
#include "MemoryFile.h"
#include "MrcError.h"
#include "PdfText.h"

#include <algorithm>

namespace corv::mrc {
namespace {

// The catalogue and the page tree take the first numbers; they are written
// last, when the pages are known.
constexpr int kCatalog = 1;
constexpr int kPageTree = 2;

std::string Number(double value) {
    return PdfFormat("%.4f", value);
}

}  // namespace

std::vector<uint8_t> CMrcPdfWriter::EncodeG4(const std::vector<uint8_t> &mask, int width,
                                             int height) {
    const int rowBytes = (width + 7) / 8;
    // Vertical codes take up to seven bits a pixel; the window holds the
    // worst line with room for the end-of-block code.
    const int capacity = rowBytes * 8 + 16;
    std::vector<uint8_t> line(static_cast<size_t>(capacity));
    std::vector<uint8_t> out;
    DEncoderG4 coder(width);
    coder.Reset();
    for (int y = 0; y < height; ++y) {
        // The image library's bilevel rows mark white with 1; marks are black.
        std::fill(line.begin(), line.begin() + rowBytes, uint8_t{0xFF});
        const uint8_t *row = &mask[size_t(y) * width];
        for (int x = 0; x < width; ++x)
            if (row[x])
                line[size_t(x >> 3)] &= uint8_t(~(0x80 >> (x & 7)));
        const int n = coder.EncodeLine(line.data(), rowBytes, capacity);
        if (n < 0)
            throw CMrcError(kMrcInternal);
        out.insert(out.end(), line.begin(), line.begin() + n);
    }
    const int n = coder.End(line.data(), 0, capacity);
    if (n < 0)
        throw CMrcError(kMrcInternal);
    out.insert(out.end(), line.begin(), line.begin() + n);
    return out;
}

std::vector<uint8_t> CMrcPdfWriter::EncodeJpeg(const MrcPlane &plane, int quality) {
    CMemoryFile file;
    file.Open(kOpenReadWrite);
    CJPEGImage image;
    image.SetStreamBorrowed(true);
    image.SetQuality(quality);
    // 4:2:0: both reduced layers are smooth colour fields.
    image.SetSampling(2, 2, 1, 1);
    const int kind = plane.samples == 3 ? kKindRgb24 : kKindGray8;
    image.OpenWrite(&file, plane.width, plane.height, kind, 0);
    const int bytesPerRow = plane.width * plane.samples;
    constexpr int kRows = 16;
    ImageBand band;
    band.Shape(kKindGray8, bytesPerRow, plane.height, kRows);
    band.colourKind = kind;
    band.samplesPerPixel = plane.samples;
    band.imageWidth = band.right = plane.width;
    for (int top = 0; top < plane.height; top += kRows) {
        const int rows = std::min(kRows, plane.height - top);
        std::copy_n(plane.pixels.data() + size_t(top) * bytesPerRow, size_t(rows) * bytesPerRow,
                    band.Data());
        band.top = top;
        band.bottom = top + rows;
        image.WriteBand(band);
    }
    image.Finish();
    return std::vector<uint8_t>(file.Data(), file.Data() + file.Size());
}

MrcStreams CMrcPdfWriter::Encode(const MrcLayers &layers) {
    MrcStreams s;
    s.mask = EncodeG4(layers.mask, layers.width, layers.height);
    s.background = EncodeJpeg(layers.background, kBackgroundQuality);
    s.foreground = EncodeJpeg(layers.foreground, kForegroundQuality);
    return s;
}

void CMrcPdfWriter::Put(const std::string &text) {
    PdfWrite(m_stream, text);
}

int CMrcPdfWriter::NewObject() {
    m_offsets.push_back(-1);
    return static_cast<int>(m_offsets.size());
}

void CMrcPdfWriter::PutStream(int object, const std::string &dictionary,
                              const std::vector<uint8_t> &data) {
    m_offsets[size_t(object) - 1] = m_stream.Tell();
    Put(PdfFormat("%d 0 obj\n<<", object) + dictionary + "/Length " +
        PdfDecimal(int64_t(data.size())) + ">>\nstream\n");
    if (!data.empty())
        m_stream.Write(data.data(), data.size());
    Put("\nendstream\nendobj\n");
}

void CMrcPdfWriter::Begin() {
    m_offsets.clear();
    m_pages.clear();
    NewObject();
    NewObject();
    // The comment's high bytes tell transfer programs the file is binary.
    Put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

void CMrcPdfWriter::AddPage(const MrcLayers &layers, double xDpi, double yDpi) {
    const MrcStreams streams = Encode(layers);
    const double w = layers.width * 72.0 / xDpi, h = layers.height * 72.0 / yDpi;
    const int page = NewObject(), content = NewObject();
    const int bg = NewObject(), fg = NewObject(), mask = NewObject();
    m_pages.push_back(page);

    m_offsets[size_t(page) - 1] = m_stream.Tell();
    Put(PdfFormat("%d 0 obj\n<</Type/Page/Parent %d 0 R/MediaBox[0 0 ", page, kPageTree) +
        Number(w) + " " + Number(h) +
        PdfFormat("]/Resources<</XObject<</B %d 0 R/F %d 0 R>>>>/Contents %d 0 R>>\nendobj\n", bg,
                  fg, content));

    const std::string place = "q " + Number(w) + " 0 0 " + Number(h) + " 0 0 cm ";
    const std::string text = place + "/B Do Q\n" + place + "/F Do Q\n";
    PutStream(content, "", std::vector<uint8_t>(text.begin(), text.end()));

    auto colour = [](const MrcPlane &p) {
        return PdfFormat(
            "/Type/XObject/Subtype/Image/Width %d/Height %d/ColorSpace/%s"
            "/BitsPerComponent 8/Filter/DCTDecode",
            p.width, p.height, p.samples == 3 ? "DeviceRGB" : "DeviceGray");
    };
    PutStream(bg, colour(layers.background), streams.background);
    PutStream(fg, colour(layers.foreground) + PdfFormat("/Mask %d 0 R", mask), streams.foreground);
    // Marks are coded black, which the fax filter decodes as 0; a 0 in an
    // explicit mask is where the image shows.
    PutStream(mask,
              PdfFormat("/Type/XObject/Subtype/Image/Width %d/Height %d/ImageMask true"
                        "/BitsPerComponent 1/Filter/CCITTFaxDecode"
                        "/DecodeParms<</K -1/Columns %d/Rows %d>>",
                        layers.width, layers.height, layers.width, layers.height),
              streams.mask);
}

void CMrcPdfWriter::Finish() {
    if (m_pages.empty())
        throw CMrcError(kMrcNoPages);
    m_offsets[kPageTree - 1] = m_stream.Tell();
    std::string kids;
    for (int p : m_pages)
        kids += PdfFormat("%d 0 R ", p);
    Put(PdfFormat("%d 0 obj\n<</Type/Pages/Kids[", kPageTree) + kids +
        PdfFormat("]/Count %d>>\nendobj\n", PageCount()));
    m_offsets[kCatalog - 1] = m_stream.Tell();
    Put(PdfFormat("%d 0 obj\n<</Type/Catalog/Pages %d 0 R>>\nendobj\n", kCatalog, kPageTree));
    const int64_t xref = m_stream.Tell();
    Put(PdfFormat("xref\n0 %d\n0000000000 65535 f \n", int(m_offsets.size()) + 1));
    for (int64_t offset : m_offsets)
        Put(PdfDecimal(offset, 10) + " 00000 n \n");
    Put(PdfFormat("trailer\n<</Size %d/Root %d 0 R>>\nstartxref\n", int(m_offsets.size()) + 1,
                  kCatalog) +
        PdfDecimal(xref) + "\n%%EOF\n");
}

}  // namespace corv::mrc
