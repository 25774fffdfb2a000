#include "TiffReader.h"

#include "ImageError.h"
#include "TIFFTags.h"

#include <algorithm>
#include <cstring>

namespace corv::mrc {
namespace {

enum : uint16_t { kTypeShort = 3, kTypeLong = 4, kTypeRational = 5 };

[[noreturn]] void Bad() {
    throw CMrcError(kMrcBadTiff);
}
[[noreturn]] void Unsupported() {
    throw CMrcError(kMrcUnsupportedTiff);
}

}  // namespace

CTiffReader::CTiffReader(CComFile &stream) : m_stream(stream) {
    try {
        m_size = static_cast<uint64_t>(m_stream.Size());
    } catch (const CImageError &) {
        throw CMrcError(kMrcInputMissing);
    }
    uint8_t header[8];
    ReadAt(0, header, sizeof header);
    if (header[0] == 'I' && header[1] == 'I')
        m_big = false;
    else if (header[0] == 'M' && header[1] == 'M')
        m_big = true;
    else
        Bad();
    if (U16(header + 2) != 42)
        Bad();
    m_nextIfd = U32(header + 4);
    if (m_nextIfd == 0)
        Bad();
}

uint16_t CTiffReader::U16(const uint8_t *p) const {
    return m_big ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
}

uint32_t CTiffReader::U32(const uint8_t *p) const {
    return m_big ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]
                 : uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

void CTiffReader::ReadAt(uint64_t offset, void *bytes, size_t count) {
    if (offset > m_size || count > m_size - offset)
        Bad();
    try {
        m_stream.Seek(static_cast<int64_t>(offset), kSeekBegin);
        if (m_stream.Read(bytes, count) != count)
            Bad();
    } catch (const CImageError &) {
        Bad();
    }
}

std::vector<uint32_t> CTiffReader::Values(const Entry &e, uint32_t maxCount) {
    if (e.type != kTypeShort && e.type != kTypeLong)
        Bad();
    if (e.count == 0 || e.count > maxCount)
        Bad();
    const size_t width = e.type == kTypeShort ? 2 : 4;
    const size_t bytes = width * e.count;
    std::vector<uint8_t> raw(bytes);
    if (bytes <= 4)
        std::memcpy(raw.data(), e.raw, bytes);
    else
        ReadAt(e.valueOrOffset, raw.data(), bytes);
    std::vector<uint32_t> out(e.count);
    for (uint32_t i = 0; i < e.count; ++i)
        out[i] = width == 2 ? U16(&raw[i * 2]) : U32(&raw[i * 4]);
    return out;
}

uint32_t CTiffReader::Scalar(const Entry &e) {
    return Values(e, 1)[0];
}

double CTiffReader::Rational(const Entry &e) {
    if (e.type != kTypeRational || e.count != 1)
        Bad();
    uint8_t raw[8];
    ReadAt(e.valueOrOffset, raw, sizeof raw);
    const uint32_t num = U32(raw), den = U32(raw + 4);
    return den == 0 ? 0.0 : double(num) / double(den);
}

bool CTiffReader::NextPage(TiffPage &page) {
    if (m_nextIfd == 0)
        return false;
    if (++m_pages > kMaxPages || !m_seen.insert(m_nextIfd).second)
        Bad();
    uint8_t countBytes[2];
    ReadAt(m_nextIfd, countBytes, 2);
    const uint32_t entries = U16(countBytes);
    if (entries == 0 || entries > kMaxEntries)
        Bad();
    std::vector<uint8_t> dir(entries * 12 + 4);
    ReadAt(uint64_t{m_nextIfd} + 2, dir.data(), dir.size());

    TiffPage p;
    uint32_t compression = 1, photometric = 0xffff, planar = 1, unit = 2;
    uint32_t rowsPerStrip = 0xffffffffu;
    bool haveWidth = false, haveHeight = false;
    Entry offsets{}, counts{};
    bool haveOffsets = false, haveCounts = false;
    std::vector<uint32_t> bitList;
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t *d = &dir[i * 12];
        Entry e{U16(d), U16(d + 2), U32(d + 4), U32(d + 8), {d[8], d[9], d[10], d[11]}};
        switch (e.tag) {
            case kTagImageWidth:
                p.width = static_cast<int>(std::min<uint32_t>(Scalar(e), kMaxSide + 1));
                haveWidth = true;
                break;
            case kTagImageLength:
                p.height = static_cast<int>(std::min<uint32_t>(Scalar(e), kMaxSide + 1));
                haveHeight = true;
                break;
            case kTagBitsPerSample:
                bitList = Values(e, 4);
                break;
            case kTagCompression:
                compression = Scalar(e);
                break;
            case kTagPhotometric:
                photometric = Scalar(e);
                break;
            case kTagSamplesPerPixel:
                p.samples = static_cast<int>(std::min<uint32_t>(Scalar(e), 16));
                break;
            case kTagRowsPerStrip:
                rowsPerStrip = Scalar(e);
                break;
            case kTagStripOffsets:
                offsets = e, haveOffsets = true;
                break;
            case kTagStripByteCounts:
                counts = e, haveCounts = true;
                break;
            case kTagXResolution:
                p.xDpi = Rational(e);
                break;
            case kTagYResolution:
                p.yDpi = Rational(e);
                break;
            case kTagPlanarConfiguration:
                planar = Scalar(e);
                break;
            case kTagResolutionUnit:
                unit = Scalar(e);
                break;
            default:
                break;
        }
    }
    m_nextIfd = U32(&dir[entries * 12]);

    if (!haveWidth || !haveHeight || !haveOffsets || !haveCounts)
        Bad();
    if (p.width <= 0 || p.height <= 0 || uint32_t(p.width) > kMaxSide ||
        uint32_t(p.height) > kMaxSide)
        Unsupported();
    if (p.samples == 0)
        p.samples = 1;
    if (p.samples != 1 && p.samples != 3)
        Unsupported();
    if (bitList.empty() ||
        std::any_of(bitList.begin(), bitList.end(), [](uint32_t b) { return b != 8; }))
        Unsupported();
    if (compression != 1 || planar != 1)
        Unsupported();
    if (p.samples == 3 ? photometric != 2 : photometric > 1)
        Unsupported();
    p.invert = p.samples == 1 && photometric == 0;
    if (unit == 3) {
        p.xDpi *= 2.54;
        p.yDpi *= 2.54;
    }
    // Pages without a usable resolution are laid out at the scan utility's
    // default, as readers of such files commonly do.
    if (!(p.xDpi >= 10 && p.xDpi <= 10000))
        p.xDpi = 0;
    if (!(p.yDpi >= 10 && p.yDpi <= 10000))
        p.yDpi = 0;
    if (p.xDpi == 0 || p.yDpi == 0)
        p.xDpi = p.yDpi = std::max({p.xDpi, p.yDpi, 200.0});
    if (uint64_t(p.RowBytes()) * uint64_t(p.height) > kMaxPageBytes)
        Unsupported();

    if (rowsPerStrip == 0)
        Bad();
    const uint32_t strips = static_cast<uint32_t>(
        (uint64_t(p.height) + std::min<uint64_t>(rowsPerStrip, p.height) - 1) /
        std::min<uint64_t>(rowsPerStrip, p.height));
    m_offsets = Values(offsets, strips);
    m_counts = Values(counts, strips);
    if (m_offsets.size() != strips || m_counts.size() != strips)
        Bad();
    m_page = p;
    m_rowsPerStrip = static_cast<uint32_t>(std::min<uint64_t>(rowsPerStrip, p.height));
    CheckLayout(p, m_rowsPerStrip);
    m_row = 0;
    page = p;
    return true;
}

void CTiffReader::CheckLayout(const TiffPage &page, uint32_t rowsPerStrip) {
    // Every strip must hold its rows and lie inside the file, so that the
    // rows read later exist; and the page must not need more bytes than the
    // file has, so that strips sharing their bytes cannot make a small file
    // ask for a page-sized allocation.
    if (page.RowBytes() * uint64_t(page.height) > m_size)
        Bad();
    for (size_t s = 0; s < m_offsets.size(); ++s) {
        const uint64_t first = uint64_t(s) * rowsPerStrip;
        const uint64_t rows = std::min<uint64_t>(rowsPerStrip, uint64_t(page.height) - first);
        const uint64_t need = rows * page.RowBytes();
        if (m_counts[s] < need || m_offsets[s] > m_size || need > m_size - m_offsets[s])
            Bad();
    }
}

void CTiffReader::ReadRows(uint8_t *out, int count) {
    if (count < 0 || m_row + count > m_page.height)
        throw CMrcError(kMrcInternal);
    const size_t rowBytes = m_page.RowBytes();
    for (int i = 0; i < count; ++i, ++m_row) {
        const uint32_t strip = uint32_t(m_row) / m_rowsPerStrip;
        const uint64_t within = uint64_t(m_row) - uint64_t(strip) * m_rowsPerStrip;
        ReadAt(m_offsets[strip] + within * rowBytes, out + i * rowBytes, rowBytes);
        if (m_page.invert)
            for (size_t x = 0; x < rowBytes; ++x)
                out[i * rowBytes + x] = uint8_t(255 - out[i * rowBytes + x]);
    }
}

}  // namespace corv::mrc
