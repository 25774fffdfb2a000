#include "TIFFImage.h"

#include "ImageError.h"
#include "JPEGImage.h"
#include "LzwDecoder.h"
#include "StreamCall.h"
#include "TIFFTags.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace corv {
namespace {

enum : uint16_t {
    kTagImageDescription = 270,
    kTagT4Options = 292,
    kTagPredictor = 317,
    kTagColorMap = 320,
    kTagTileWidth = 322,
    kTagJpegTables = 347,
};
enum : uint16_t { kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7 };
enum : int {
    kNone = 1,
    kG3 = 3,
    kG4 = 4,
    kLzw = 5,
    kOldJpeg = 6,
    kJpeg = 7,
    kPackBits = 32773,
};
enum : int { kWhiteIsZero = 0, kBlackIsZero = 1, kRgb = 2, kPaletteColour = 3, kYCbCr = 6 };
constexpr uint32_t kResolutionCentimetre = 3;
constexpr uint32_t kT4TwoD = 1;
// A decoded strip larger than this is refused whatever the file holds.
constexpr uint64_t kMaxStripBytes = uint64_t{256} << 20;
constexpr int32_t kDefaultResolution = 72 << 16;

[[noreturn]] void Fail(uint32_t code) {
    if (code >= 20000 && code < 20100)
        SetTiffLastError(static_cast<int>(code));
    RaiseImageError(code);
}

}  // namespace

CTIFFImage::CTIFFImage() = default;
CTIFFImage::~CTIFFImage() = default;

uint16_t CTIFFImage::U16(const uint8_t *p) const {
    return m_bigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
}

uint32_t CTIFFImage::U32(const uint8_t *p) const {
    return m_bigEndian ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                       : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

void CTIFFImage::ReadAt(uint64_t offset, void *bytes, size_t count) {
    if (offset > m_fileLength || count > m_fileLength - offset)
        Fail(kErrTiffEof);
    m_stream->Seek(static_cast<int64_t>(offset), kSeekBegin);
    if (m_stream->Read(bytes, count) != count)
        Fail(kErrTiffEof);
}

std::vector<uint32_t> CTIFFImage::Values(const Entry &e, uint32_t most) {
    const size_t width = e.type == kShort ? 2 : e.type == kLong ? 4 : e.type == kByte ? 1 : 0;
    if (width == 0 || e.count == 0 || e.count > most)
        Fail(kErrTiffCorrupt);
    const uint64_t bytes = uint64_t(width) * e.count;
    std::vector<uint8_t> raw(static_cast<size_t>(bytes));
    if (bytes <= 4)
        std::memcpy(raw.data(), e.value, size_t(bytes));
    else
        ReadAt(U32(e.value), raw.data(), size_t(bytes));
    std::vector<uint32_t> out(e.count);
    for (size_t i = 0; i < e.count; ++i)
        out[i] = width == 1 ? raw[i] : width == 2 ? U16(&raw[i * 2]) : U32(&raw[i * 4]);
    return out;
}

int32_t CTIFFImage::Resolution(const Entry &e) {
    if (e.type != kRational || e.count != 1)
        Fail(kErrTiffCorrupt);
    uint8_t raw[8];
    ReadAt(U32(e.value), raw, sizeof raw);
    const uint32_t num = U32(raw), den = U32(raw + 4);
    if (den == 0)
        return 0;
    return FixedResolution(double(num) / double(den));
}

void CTIFFImage::OpenRead(CComFile *stream) {
    OpenForReading(stream, [this](uint64_t fileLength) {
        m_fileLength = fileLength;
        ReadDirectory();
    });
}

void CTIFFImage::ReadDirectory() {
    uint8_t header[8];
    ReadAt(0, header, sizeof header);
    if (header[0] == 'I' && header[1] == 'I')
        m_bigEndian = false;
    else if (header[0] == 'M' && header[1] == 'M')
        m_bigEndian = true;
    else
        Fail(kErrTiffMagic);
    if (U16(header + 2) != 42)
        Fail(kErrTiffMagic);
    const uint32_t ifd = U32(header + 4);
    uint8_t countBytes[2];
    ReadAt(ifd, countBytes, 2);
    const uint32_t entries = U16(countBytes);
    if (entries == 0 || entries > kMaxEntries)
        Fail(kErrTiffCorrupt);
    std::vector<uint8_t> dir(size_t(entries) * 12);
    ReadAt(uint64_t{ifd} + 2, dir.data(), dir.size());

    int bits = 0, samples = 1, planar = 1;
    uint32_t unit = 2;
    bool haveWidth = false, haveHeight = false, haveBits = false;
    Entry xRes{}, yRes{}, colourMap{};
    bool haveX = false, haveY = false, haveMap = false;
    m_rowsPerStrip = UINT32_MAX;
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t *d = &dir[size_t(i) * 12];
        Entry e{U16(d), U16(d + 2), U32(d + 4), {d[8], d[9], d[10], d[11]}};
        switch (e.tag) {
            case kTagNewSubfileType:
                m_newSubfileType = Scalar(e);
                break;
            case kTagImageWidth:
                m_width = Scalar(e);
                haveWidth = true;
                break;
            case kTagImageLength:
                m_height = Scalar(e);
                haveHeight = true;
                break;
            case kTagBitsPerSample: {
                const std::vector<uint32_t> list = Values(e, 8);
                // Every sample must have the same depth.
                for (uint32_t v : list)
                    if (v != list[0])
                        Fail(kErrTiffBits);
                bits = static_cast<int>(std::min<uint32_t>(list[0], 64));
                haveBits = true;
                break;
            }
            case kTagCompression:
                m_compression = static_cast<int>(Scalar(e));
                break;
            case kTagPhotometric:
                m_photometric = static_cast<int>(std::min<uint32_t>(Scalar(e), 0xFFFF));
                break;
            case kTagImageDescription: {
                if (e.type != kAscii || e.count > m_fileLength)
                    Fail(kErrTiffCorrupt);
                m_comment.resize(e.count);
                if (e.count <= 4)
                    std::memcpy(m_comment.data(), e.value, e.count);
                else
                    ReadAt(U32(e.value), m_comment.data(), e.count);
                while (!m_comment.empty() && m_comment.back() == 0)
                    m_comment.pop_back();
                break;
            }
            case kTagStripOffsets:
                m_offsets = Values(e, static_cast<uint32_t>(std::min<uint64_t>(
                                          m_fileLength, std::numeric_limits<uint32_t>::max())));
                break;
            case kTagSamplesPerPixel:
                samples = static_cast<int>(std::min<uint32_t>(Scalar(e), 64));
                break;
            case kTagRowsPerStrip:
                m_rowsPerStrip = Scalar(e);
                break;
            case kTagStripByteCounts:
                m_counts = Values(e, static_cast<uint32_t>(std::min<uint64_t>(
                                         m_fileLength, std::numeric_limits<uint32_t>::max())));
                break;
            case kTagXResolution:
                xRes = e;
                haveX = true;
                break;
            case kTagYResolution:
                yRes = e;
                haveY = true;
                break;
            case kTagPlanarConfiguration:
                planar = static_cast<int>(std::min<uint32_t>(Scalar(e), 3));
                break;
            case kTagResolutionUnit:
                unit = Scalar(e);
                break;
            case kTagT4Options:
                m_t4Options = Scalar(e);
                break;
            case kTagPredictor:
                m_predictor = Scalar(e);
                break;
            case kTagColorMap:
                colourMap = e;
                haveMap = true;
                break;
            case kTagTileWidth:
                Fail(20021);
            case kTagJpegTables:
                if ((e.type != kUndefined && e.type != kByte) || e.count > m_fileLength ||
                    e.count <= 4)
                    Fail(kErrTiffCorrupt);
                m_jpegTables.resize(e.count);
                ReadAt(U32(e.value), m_jpegTables.data(), e.count);
                break;
            default:
                break;
        }
    }
    if (!haveWidth || !haveHeight || m_offsets.empty())
        Fail(kErrTiffCorrupt);
    static const int kKnown[] = {kNone, kG3, kG4, kLzw, kOldJpeg, kJpeg, kPackBits};
    if (std::find(std::begin(kKnown), std::end(kKnown), m_compression) == std::end(kKnown))
        Fail(kErrTiffCompression);
    if (!haveBits && samples == 1)
        bits = 1;
    if (bits != 1 && bits != 8)
        Fail(kErrTiffBits);
    if (planar == 2 && samples > 1)
        Fail(kErrTiffBits);  // each colour in its own strips: not read here
    ChooseKind(bits, samples);
    // Horizontal differencing is undone for 8-bit samples only.
    if (m_predictor != 1 && (m_predictor != 2 || bits != 8))
        Fail(kErrTiffCompression);
    if (m_width == 0 || m_height == 0 || m_width > kMaxSide || m_height > kMaxSide)
        Fail(kErrTiffImageSize);
    SetGeometry(static_cast<int>(m_width), static_cast<int>(m_height), m_colourKind);
    if (haveMap) {
        if (colourMap.count != 3u << bits)
            Fail(kErrTiffCorrupt);
        const std::vector<uint32_t> map = Values(colourMap, colourMap.count);
        const size_t n = size_t(1) << bits;
        m_palette.resize(n);
        // Colour map values run to 65535: nearest of the 256 levels.
        auto level = [](uint32_t v) { return static_cast<uint8_t>((v + 128) / 257); };
        for (size_t i = 0; i < n; ++i)
            m_palette[i] = {level(map[i]), level(map[n + i]), level(map[2 * n + i])};
    } else if (m_colourKind == kKindPalette8) {
        Fail(kErrTiffCorrupt);
    }
    m_xResolution = haveX ? Resolution(xRes) : kDefaultResolution;
    m_yResolution = haveY ? Resolution(yRes) : kDefaultResolution;
    if (unit == kResolutionCentimetre) {
        m_xResolution = FixedResolution(m_xResolution / 65536.0 * 2.54);
        m_yResolution = FixedResolution(m_yResolution / 65536.0 * 2.54);
    }
    CheckStrips();
}

void CTIFFImage::ChooseKind(int bits, int samples) {
    const bool fax = m_compression == kG3 || m_compression == kG4;
    const bool jpeg = m_compression == kJpeg || m_compression == kOldJpeg;
    if (m_photometric < 0)
        m_photometric = samples == 3 ? kRgb : kWhiteIsZero;
    int kind = 0;
    switch (m_photometric) {
        case kWhiteIsZero:
        case kBlackIsZero:
            kind = bits == 1 ? kKindBilevel : kKindGray8;
            if (samples != 1)
                Fail(kErrTiffBits);
            break;
        case kPaletteColour:
            kind = kKindPalette8;
            if (samples != 1 || bits != 8)
                Fail(kErrTiffBits);
            break;
        case kYCbCr:
            if (!jpeg)
                Fail(kErrTiffCompression);
            [[fallthrough]];
        case kRgb:
            kind = kKindRgb24;
            if (samples != 3 || bits != 8)
                Fail(kErrTiffBits);
            break;
        default:
            Fail(kErrTiffBits);
    }
    // The codings that only carry one kind of sample.
    if ((fax && kind != kKindBilevel) || (jpeg && bits != 8))
        Fail(kErrTiffCompression);
    m_colourKind = kind;
}

uint64_t CTIFFImage::MostDecodedBytes(uint64_t stripBytes) const {
    // What the coding can make of a strip at the very most: one LZW code
    // (at least 9 bits) stands for at most 4094 bytes, a PackBits pair for
    // 128, a JPEG block (at least 2 bits) for 192 bytes.
    switch (m_compression) {
        case kNone:
            return stripBytes;
        case kLzw:
            return stripBytes * 4094 * 8 / 9 + 4094;
        case kPackBits:
            return stripBytes * 64 + 128;
        case kJpeg:
        case kOldJpeg:
            return stripBytes * 4 * 192 + 192 * 16;
        default:
            return UINT64_MAX;
    }
}

void CTIFFImage::CheckStrips() {
    if (m_rowsPerStrip == 0)
        Fail(kErrTiffCorrupt);
    m_rowsPerStrip = std::min(m_rowsPerStrip, m_height);
    const uint32_t strips = (m_height + m_rowsPerStrip - 1) / m_rowsPerStrip;
    if (m_offsets.size() < strips)
        Fail(kErrTiffCorrupt);
    if (m_counts.empty() && strips == 1 && m_compression == kNone)
        m_counts.push_back(static_cast<uint32_t>(std::min<uint64_t>(
            m_fileLength - std::min<uint64_t>(m_offsets[0], m_fileLength), UINT32_MAX)));
    if (m_counts.size() < strips)
        Fail(kErrTiffCorrupt);
    const uint64_t rowBytes = uint64_t(m_bytesPerRow);
    m_encodedLength = 0;
    for (uint32_t s = 0; s < strips; ++s) {
        const uint64_t offset = m_offsets[s], count = m_counts[s];
        if (offset > m_fileLength || count > m_fileLength - offset)
            Fail(kErrTiffEof);
        m_encodedLength += static_cast<int64_t>(count);
        const uint64_t rows =
            std::min<uint64_t>(m_rowsPerStrip, m_height - uint64_t(s) * m_rowsPerStrip);
        const bool fax = m_compression == kG3 || m_compression == kG4;
        // A fax row takes at least one bit.
        if (fax ? rows > count * 8 + 1 : rows * rowBytes > MostDecodedBytes(count))
            Fail(kErrTiffImageSize);
        if (rows * rowBytes > kMaxStripBytes)
            Fail(kErrTiffImageSize);
    }
}

void CTIFFImage::LoadStrip(uint32_t strip) {
    const uint32_t offset = m_offsets[strip], count = m_counts[strip];
    m_strip = strip;
    m_stripRow = 0;
    m_stripRows = std::min(m_rowsPerStrip, m_height - strip * m_rowsPerStrip);
    m_fax.reset();
    const size_t rowBytes = size_t(m_bytesPerRow);
    const size_t need = size_t(m_stripRows) * rowBytes;
    if (m_compression == kJpeg || m_compression == kOldJpeg) {
        // The strip's rows in one go: a JPEG strip is a page of its own.
        CJPEGImage jpeg;
        jpeg.SetStreamBase(offset);
        const int transform = m_photometric == kYCbCr ? 1 : m_photometric == kRgb ? 0 : -1;
        jpeg.OpenReadStrip(m_stream, &m_jpegTables, count, transform);
        if (jpeg.Width() != int(m_width) || jpeg.Height() < int(m_stripRows) ||
            jpeg.ColourKind() != (m_colourKind == kKindRgb24 ? kKindRgb24 : kKindGray8))
            Fail(kErrTiffCorrupt);
        jpeg.ReadBand(m_jpegBand, int(m_stripRows));
        m_decoded.assign(m_jpegBand.Data(), m_jpegBand.Data() + need);
        return;
    }
    m_raw.resize(count);
    ReadAt(offset, m_raw.data(), count);
    switch (m_compression) {
        case kNone:
            if (count < need)
                Fail(kErrTiffEof);
            m_decoded.swap(m_raw);
            break;
        case kLzw:
        case kPackBits:
            // Rows a short strip leaves out stay white (zero before the
            // photometric interpretation is applied).
            m_decoded.assign(need, 0);
            if (m_compression == kLzw)
                LzwDecodeStrip(m_raw.data(), m_raw.size(), m_decoded.data(), need);
            else
                UnpackBits(m_raw.data(), m_raw.size(), m_decoded.data(), need);
            break;
        default: {
            const auto mode = m_compression == kG4           ? DFaxDecoder::Mode::G4
                              : (m_t4Options & kT4TwoD) != 0 ? DFaxDecoder::Mode::G3TwoD
                                                             : DFaxDecoder::Mode::G3OneD;
            m_fax = std::make_unique<DFaxDecoder>(mode, static_cast<int>(m_width), m_raw.data(),
                                                  m_raw.size());
            break;
        }
    }
}

void CTIFFImage::DecodeRow(uint8_t *out) {
    const uint32_t row = static_cast<uint32_t>(m_nextRow);
    const uint32_t strip = row / m_rowsPerStrip;
    if (strip != m_strip || row % m_rowsPerStrip != m_stripRow)
        LoadStrip(strip);
    const size_t rowBytes = size_t(m_bytesPerRow);
    const bool jpeg = m_compression == kJpeg || m_compression == kOldJpeg;
    if (m_fax) {
        m_fax->DecodeRow(out);
    } else {
        std::memcpy(out, m_decoded.data() + size_t(m_stripRow) * rowBytes, rowBytes);
    }
    ++m_stripRow;
    if (m_predictor == 2 && !jpeg && !m_fax)
        for (size_t i = size_t(m_samplesPerPixel); i < rowBytes; ++i)
            out[i] = static_cast<uint8_t>(out[i] + out[i - size_t(m_samplesPerPixel)]);
    // The library's rows are white-is-one and black-is-zero.
    if (m_photometric == kWhiteIsZero && !jpeg)
        for (size_t i = 0; i < rowBytes; ++i)
            out[i] = static_cast<uint8_t>(~out[i]);
}

void CTIFFImage::DecodeRows(uint8_t *out, int rows, size_t stride) {
    CStreamCall call(*m_stream, 0, kOpenRead);
    const int first = m_nextRow;
    try {
        for (int r = 0; r < rows; ++r, ++m_nextRow)
            DecodeRow(out + size_t(r) * stride);
    } catch (const std::bad_alloc &) {
        m_nextRow = first;
        RaiseImageError(kErrNoMemory);
    } catch (...) {
        m_nextRow = first;
        throw;
    }
    m_nextRow = first;
    call.Done();
}

void CTIFFImage::OpenWrite(CComFile *, int, int, int, int) {
    RaiseImageError(kErrInvalidArg);
}
void CTIFFImage::WriteBand(const ImageBand &) {
    RaiseImageError(kErrInvalidArg);
}
void CTIFFImage::Finish() {
    RaiseImageError(kErrInvalidArg);
}

}  // namespace corv
