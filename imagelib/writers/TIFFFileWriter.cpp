#include "TIFFFileWriter.h"

#include "EncoderG3.h"
#include "EncoderG4.h"
#include "ImageError.h"
#include "PackBits.h"
#include "TIFFTags.h"

#include <cstring>
#include <new>

namespace corv {
namespace {

// NewSubfileType of a page that belongs to a multi-page document.
constexpr uint32_t kSubfilePage = 2;
// JPEG codes whole 8-row blocks; a strip never holds fewer rows than that.
constexpr uint32_t kMinJpegRows = 8;

JpegStripWriter &JpegHook() {
    static JpegStripWriter hook;
    return hook;
}

std::unique_ptr<uint8_t[]> Allocate(size_t bytes) {
    std::unique_ptr<uint8_t[]> p(new (std::nothrow) uint8_t[bytes ? bytes : 1]);
    if (!p)
        RaiseImageError(kErrNoMemory);
    return p;
}

uint32_t EntrySize(int entries) {
    return 2 + 12 * static_cast<uint32_t>(entries) + 4;
}

}  // namespace

void CTIFFFileWriter::SetJpegStripWriter(JpegStripWriter writer) {
    JpegHook() = std::move(writer);
}

bool CTIFFFileWriter::HasJpegStripWriter() {
    return static_cast<bool>(JpegHook());
}

CTIFFFileWriter::~CTIFFFileWriter() {
    FreePage();
}

uint32_t CTIFFFileWriter::Offset() {
    return static_cast<uint32_t>(m_stream->Tell());
}

void CTIFFFileWriter::Attach(CComFile *stream) {
    m_stream = stream;
    m_linkOffset = 4;
    m_pageCount = 0;
    const uint8_t header[8] = {'I', 'I', 42, 0, 0, 0, 0, 0};
    m_stream->Write(header, sizeof header);
}

void CTIFFFileWriter::Detach() {
    FreePage();
    m_stream = nullptr;
}

void CTIFFFileWriter::FreePage() {
    for (TIFFStripBuffer &s : m_strips)
        s = TIFFStripBuffer{};
    if (m_tags)
        m_tags->DeleteChain();
    m_tags = m_subfileTypeTag = m_stripOffsetsTag = m_stripByteCountsTag = nullptr;
    m_work.reset();
    m_lzw.reset();
}

void CTIFFFileWriter::BeginPage(uint32_t width, uint32_t height, int kind, bool planar,
                                int bitsPerSample, int compression, uint32_t xResolution,
                                uint32_t yResolution, bool photometricFlag, uint32_t stripTarget) {
    ValidatePage(width, height, kind, compression, stripTarget);
    FreePage();
    ++m_pageCount;
    m_stream->Seek(0, kSeekEnd);
    m_pageStart = m_stream->Tell();
    StartIfd();
    m_width = width;
    m_height = height;
    m_kind = kind;
    m_bitsPerSample = kind == kTiffBilevel ? 1 : bitsPerSample;
    m_compression = compression;
    m_xResolution = xResolution;
    m_yResolution = yResolution;
    m_resolutionUnit = 2;
    SetSampleLayout(planar, photometricFlag);
    SetStripGeometry(stripTarget);
    BuildTags();
    WriteIfd();
}

void CTIFFFileWriter::ValidatePage(uint32_t width, uint32_t height, int kind, int compression,
                                   uint32_t stripTarget) {
    const bool fax = compression == kCompressG3 || compression == kCompressG4;
    if (kind < kTiffBilevel || kind > kTiffCmyk || (fax && kind != kTiffBilevel))
        RaiseImageError(kErrTiffPixelType);
    if (width == 0 || height == 0 || stripTarget == 0)
        RaiseImageError(kErrInvalidArg);
    switch (compression) {
        case kCompressNone:
        case kCompressG3:
        case kCompressG4:
        case kCompressLzw:
        case kCompressPackBits:
            break;
        case kCompressJpeg:
            if (!JpegHook() || kind == kTiffBilevel)
                RaiseImageError(kErrNotImplemented);
            break;
        default:
            RaiseImageError(kErrInvalidArg);
    }
}

void CTIFFFileWriter::StartIfd() {
    // An IFD starts on a word boundary.
    m_ifdOffset = Offset();
    if (m_ifdOffset & 1) {
        const uint8_t pad = 0;
        m_stream->Write(&pad, 1);
        ++m_ifdOffset;
    }
}

void CTIFFFileWriter::SetSampleLayout(bool planar, bool photometricFlag) {
    const bool fax = m_compression == kCompressG3 || m_compression == kCompressG4;
    m_planarConfiguration = 1;
    switch (m_kind) {
        case kTiffBilevel:
        case kTiffGray:
            m_samplesPerPixel = 1;
            m_photometric = photometricFlag && !fax ? 1 : 0;
            break;
        case kTiffRgb:
        case kTiffCmyk:
            m_samplesPerPixel = m_kind == kTiffRgb ? 3 : 4;
            m_photometric = m_kind == kTiffRgb ? 2 : 5;
            m_planarConfiguration = planar ? 2 : 1;
            break;
    }
    m_planeCount = m_planarConfiguration == 2 ? m_samplesPerPixel : 1;
}

void CTIFFFileWriter::SetStripGeometry(uint32_t stripTarget) {
    const uint64_t bits = m_planarConfiguration == 2
                              ? m_bitsPerSample
                              : uint64_t(m_samplesPerPixel) * m_bitsPerSample;
    m_rowBytes = static_cast<uint32_t>((m_width * bits + 7) / 8);
    m_rowsPerStrip = m_rowBytes && m_rowBytes <= stripTarget ? stripTarget / m_rowBytes : 1;
    if (m_compression == kCompressJpeg && m_rowsPerStrip < kMinJpegRows)
        m_rowsPerStrip = kMinJpegRows;
    m_stripBytes = m_rowsPerStrip * m_rowBytes;
    m_stripsPerPlane = (m_height + m_rowsPerStrip - 1) / m_rowsPerStrip;
    for (int p = 0; p < m_planeCount; ++p)
        m_strips[p].data = Allocate(m_stripBytes);
}

CTIFFTagWriter *CTIFFFileWriter::AddTag(uint16_t tag, uint16_t type, uint32_t count,
                                        uint32_t value) {
    auto *node = new (std::nothrow) CTIFFTagWriter(tag, type, count);
    if (!node)
        RaiseImageError(kErrNoMemory);
    m_tags = CTIFFTagWriter::InsertSorted(m_tags, node);
    for (uint32_t i = 0; i < count; ++i)
        node->Set(i, value);
    return node;
}

void CTIFFFileWriter::BuildTags() {
    const uint32_t strips = m_stripsPerPlane * static_cast<uint32_t>(m_planeCount);
    m_subfileTypeTag = AddTag(kTagNewSubfileType, kTiffLong, 1, m_pageCount > 1 ? kSubfilePage : 0);
    AddTag(kTagImageWidth, kTiffLong, 1, m_width);
    AddTag(kTagImageLength, kTiffLong, 1, m_height);
    if (m_kind != kTiffBilevel)
        AddTag(kTagBitsPerSample, kTiffShort, static_cast<uint32_t>(m_samplesPerPixel),
               static_cast<uint32_t>(m_bitsPerSample));
    AddTag(kTagCompression, kTiffShort, 1, static_cast<uint32_t>(m_compression));
    AddTag(kTagPhotometric, kTiffShort, 1, static_cast<uint32_t>(m_photometric));
    m_stripOffsetsTag = AddTag(kTagStripOffsets, kTiffLong, strips, 0);
    AddTag(kTagSamplesPerPixel, kTiffShort, 1, static_cast<uint32_t>(m_samplesPerPixel));
    AddTag(kTagRowsPerStrip, kTiffLong, 1, m_rowsPerStrip);
    m_stripByteCountsTag = AddTag(kTagStripByteCounts, kTiffLong, strips, 0);
    AddTag(kTagXResolution, kTiffRational, 1, m_xResolution);
    AddTag(kTagYResolution, kTiffRational, 1, m_yResolution);
    AddTag(kTagPlanarConfiguration, kTiffShort, 1, static_cast<uint32_t>(m_planarConfiguration));
    AddTag(kTagResolutionUnit, kTiffShort, 1, static_cast<uint32_t>(m_resolutionUnit));

    // Out-of-line values follow the IFD in tag order, unpadded.
    const int entries = m_tags->Count();
    uint32_t valuePos = m_ifdOffset + EntrySize(entries);
    m_nextIfdSlot = valuePos - 4;
    int index = 0;
    for (CTIFFTagWriter *t = m_tags; t; t = t->NextTag(), ++index) {
        if (t == m_subfileTypeTag && m_pageCount == 1)
            m_firstSubfileTypeOffset = m_ifdOffset + 2 + 12 * static_cast<uint32_t>(index) + 8;
        if (!t->FitsInEntry()) {
            t->SetValueOffset(valuePos);
            valuePos += t->OutOfLineBytes();
        }
    }
}

void CTIFFFileWriter::WriteIfd() {
    uint16_t count = static_cast<uint16_t>(m_tags->Count());
    m_stream->Write16(&count, 1, false);
    for (CTIFFTagWriter *t = m_tags; t; t = t->NextTag())
        t->WriteEntry(*m_stream);
    uint32_t next = 0;
    m_stream->Write32(&next, 1, false);
    for (CTIFFTagWriter *t = m_tags; t; t = t->NextTag())
        t->WriteValue(*m_stream);
}

void CTIFFFileWriter::WriteRows(const uint8_t *bytes, size_t length, int plane) {
    TIFFStripBuffer &strip = m_strips[plane];
    while (length) {
        size_t n = std::min<size_t>(length, m_stripBytes - strip.fill);
        std::memcpy(strip.data.get() + strip.fill, bytes, n);
        strip.fill += static_cast<uint32_t>(n);
        bytes += n;
        length -= n;
        if (strip.fill == m_stripBytes)
            StoreStrip(plane);
    }
}

void CTIFFFileWriter::StoreStrip(int plane) {
    TIFFStripBuffer &strip = m_strips[plane];
    if (strip.fill == 0)
        return;
    const uint32_t start = Offset();
    switch (m_compression) {
        case kCompressNone:
            m_stream->Write(strip.data.get(), strip.fill);
            break;
        case kCompressG3:
        case kCompressG4:
            StoreFax(strip);
            break;
        case kCompressLzw:
            StoreLzw(strip);
            break;
        case kCompressJpeg:
            StoreJpeg(strip);
            break;
        case kCompressPackBits:
            StorePackBits(strip);
            break;
    }
    const uint32_t slot = static_cast<uint32_t>(plane) * m_stripsPerPlane + strip.index;
    m_stripOffsetsTag->Set(slot, start);
    m_stripByteCountsTag->Set(slot, Offset() - start);
    ++strip.index;
    strip.fill = 0;
}

void CTIFFFileWriter::StoreFax(const TIFFStripBuffer &strip) {
    // Each strip is coded on its own (a Group 4 strip starts against a white
    // reference line) so that a reader can decode any strip alone. Group 3
    // code stays below five bytes per input byte; Group 4 vertical codes can
    // take seven bits per pixel, so its window is wider.
    const size_t capacity =
        m_compression == kCompressG3 ? m_rowBytes * size_t{5} + 10 : m_rowBytes * size_t{8} + 16;
    if (!m_work)
        m_work = Allocate(capacity);
    std::unique_ptr<DEncoderG3> encoder;
    if (m_compression == kCompressG3)
        encoder = std::make_unique<DEncoderG3>(static_cast<int>(m_width), 0, 0, 1, 0);
    else
        encoder = std::make_unique<DEncoderG4>(static_cast<int>(m_width));
    encoder->Reset();
    const int cap = static_cast<int>(capacity);
    for (uint32_t row = 0; row < strip.fill / m_rowBytes; ++row) {
        std::memcpy(m_work.get(), strip.data.get() + size_t{row} * m_rowBytes, m_rowBytes);
        int n = encoder->EncodeLine(m_work.get(), static_cast<int>(m_rowBytes), cap);
        if (n < 0)
            RaiseImageError(kErrTiffWrite);
        m_stream->Write(m_work.get(), static_cast<size_t>(n));
    }
    int n = encoder->End(m_work.get(), 0, cap);
    if (n < 0)
        RaiseImageError(kErrTiffWrite);
    m_stream->Write(m_work.get(), static_cast<size_t>(n));
}

void CTIFFFileWriter::StorePackBits(const TIFFStripBuffer &strip) {
    const size_t bound = PackBitsBound(m_rowBytes);
    if (!m_work)
        m_work = Allocate(bound);
    for (uint32_t row = 0; row < strip.fill / m_rowBytes; ++row) {
        size_t n =
            PackBitsRow(strip.data.get() + size_t{row} * m_rowBytes, m_rowBytes, m_work.get());
        m_stream->Write(m_work.get(), n);
    }
}

void CTIFFFileWriter::StoreLzw(const TIFFStripBuffer &strip) {
    if (!m_lzw) {
        m_lzw.reset(CreateCoder(kLzwHashSize));
        if (!m_lzw)
            RaiseImageError(kErrLzwCoder);
    }
    CompressStrip(m_lzw.get(), strip.data.get(), strip.fill, *m_stream);
}

void CTIFFFileWriter::StoreJpeg(const TIFFStripBuffer &strip) {
    JpegHook()(*m_stream, m_kind == kTiffGray, m_width, strip.fill / m_rowBytes, m_rowBytes,
               m_xResolution, strip.data.get());
    m_stream->Seek(0, kSeekEnd);
}

void CTIFFFileWriter::EndPage() {
    if (!m_tags)
        return;
    for (int p = 0; p < m_planeCount; ++p)
        StoreStrip(p);
    m_stream->Seek(m_ifdOffset, kSeekBegin);
    WriteIfd();
    if (m_pageCount == 2) {
        uint32_t multi = kSubfilePage;
        m_stream->Seek(m_firstSubfileTypeOffset, kSeekBegin);
        m_stream->Write32(&multi, 1, false);
    }
    m_stream->Seek(m_linkOffset, kSeekBegin);
    m_stream->Write32(&m_ifdOffset, 1, false);
    m_stream->Seek(0, kSeekEnd);
    m_linkOffset = m_nextIfdSlot;
    FreePage();
}

void CTIFFFileWriter::DropPage() {
    if (!m_tags)
        RaiseImageError(kErrInvalidArg);
    // Nothing links to the page before EndPage, so cutting its IFD and strips
    // off leaves the earlier pages as they were.
    FreePage();
    --m_pageCount;
    m_stream->Flush();
    m_stream->SetLength(m_pageStart);
    m_stream->Seek(m_pageStart, kSeekBegin);
}

}  // namespace corv
