#include "JpegDecoder.h"

#include "ImageError.h"
#include "JpegInverseDct.h"
#include "JpegLibrary.h"
#include "JpegTables.h"

#include <algorithm>
#include <cstring>

namespace corv {
namespace {

constexpr size_t kChunk = 65536;
constexpr int kMaxSamplingFactor = 4;
constexpr int kMaxBlocksPerMcu = 10;

enum : int {
    kSof0 = 0xC0,
    kSof1 = 0xC1,
    kSof2 = 0xC2,
    kSof3 = 0xC3,
    kDht = 0xC4,
    kSof5 = 0xC5,
    kDac = 0xCC,
    kRst0 = 0xD0,
    kSoi = 0xD8,
    kEoi = 0xD9,
    kSos = 0xDA,
    kDqt = 0xDB,
    kDnl = 0xDC,
    kDri = 0xDD,
    kApp0 = 0xE0,
    kApp14 = 0xEE,
    kCom = 0xFE,
    kEndOfData = 0x100,
};

[[noreturn]] void Fail(uint32_t code) {
    SetJpegLastError(static_cast<int>(code));
    RaiseImageError(code);
}

// YCbCr -> RGB in 16.16 fixed point (ITU-R BT.601 as JFIF uses it).
constexpr int32_t FIX_1_40200 = 91881;
constexpr int32_t FIX_0_34414 = 22554;
constexpr int32_t FIX_0_71414 = 46802;
constexpr int32_t FIX_1_77200 = 116130;

// The YCbCr -> RGB products for every chroma value, and a clamp by table
// for results from -256 to 511.
struct ColourTables {
    int crR[256], cbB[256];
    int32_t cbG[256], crG[256];
    uint8_t clamp[768];
    ColourTables() {
        for (int i = 0; i < 256; ++i) {
            const int c = i - 128;
            crR[i] = (FIX_1_40200 * c + 32768) >> 16;
            cbB[i] = (FIX_1_77200 * c + 32768) >> 16;
            cbG[i] = -FIX_0_34414 * c;
            crG[i] = -FIX_0_71414 * c + 32768;
        }
        for (int i = 0; i < 768; ++i)
            clamp[i] = static_cast<uint8_t>(i < 256 ? 0 : i > 511 ? 255 : i - 256);
    }
    uint8_t Clamp(int v) const { return clamp[v + 256]; }
};

const ColourTables &Tables() {
    static const ColourTables kTables;
    return kTables;
}

}  // namespace

CJpegDecoder::CJpegDecoder(CComFile &stream, uint64_t limit)
    : m_stream(stream), m_limit(limit), m_left(limit) {}

int CJpegDecoder::NextByte() {
    if (m_memory) {
        if (m_memoryLeft == 0)
            return -1;
        --m_memoryLeft;
        return *m_memory++;
    }
    if (m_bufferPos == m_buffer.size()) {
        const size_t want = size_t(std::min<uint64_t>(kChunk, m_left));
        if (want == 0)
            return -1;
        m_buffer.resize(want);
        const size_t got = m_stream.Read(m_buffer.data(), want);
        m_buffer.resize(got);
        m_bufferPos = 0;
        m_left = got == want ? m_left - got : 0;
        if (got == 0)
            return -1;
    }
    return m_buffer[m_bufferPos++];
}

int CJpegDecoder::NextByteOf(void *context) {
    return static_cast<CJpegDecoder *>(context)->NextByte();
}

int CJpegDecoder::ReadByte() {
    const int b = NextByte();
    if (b < 0)
        Fail(kErrJpegEof);
    return b;
}

int CJpegDecoder::Read16() {
    const int high = ReadByte();
    return high << 8 | ReadByte();
}

void CJpegDecoder::Skip(size_t n) {
    while (n--)
        ReadByte();
}

int CJpegDecoder::NextMarker() {
    int b = ReadByte();
    // Bytes between segments are not allowed, but writers leave some; fill
    // bytes 0xFF before a marker are.
    while (b != 0xFF)
        b = ReadByte();
    while (b == 0xFF)
        b = ReadByte();
    if (b == 0)
        Fail(kErrJpegCorrupt);
    return b;
}

void CJpegDecoder::ReadTables(const uint8_t *bytes, size_t length) {
    m_memory = bytes;
    m_memoryLeft = length;
    ParseMarkers(true);
    m_memory = nullptr;
    m_memoryLeft = 0;
}

void CJpegDecoder::ReadHeader() {
    ParseMarkers(false);
}

void CJpegDecoder::ParseMarkers(bool tablesOnly) {
    if (ReadByte() != 0xFF || ReadByte() != kSoi)
        Fail(kErrJpegNotJpeg);
    if (!ReadSegments(NextMarker(), tablesOnly) && !tablesOnly)
        Fail(kErrJpegCorrupt);
}

bool CJpegDecoder::ReadSegments(int marker, bool tablesOnly) {
    for (;; marker = NextMarker()) {
        if (marker == kEoi)
            return false;
        if (marker == kSoi || (marker >= kRst0 && marker <= kRst0 + 7) || marker == 0x01)
            continue;
        const int length = Read16();
        if (length < 2)
            Fail(kErrJpegCorrupt);
        const int body = length - 2;
        if (marker == kSos) {
            if (tablesOnly || m_components.empty())
                Fail(kErrJpegCorrupt);
            ReadScan(body);
            return true;
        }
        if (marker == kDqt)
            ReadQuant(body);
        else if (marker == kDht)
            ReadHuffman(body);
        else if (marker == kDri) {
            if (body != 2)
                Fail(kErrJpegCorrupt);
            m_restartInterval = Read16();
        } else if (marker == kDnl)
            Fail(kErrJpegDnl);
        else if (marker == kDac)
            Fail(kErrJpegArithmetic);
        else if (marker >= kSof0 && marker <= 0xCF)
            ReadFrame(marker, body);
        else if (marker >= kApp0 && marker <= 0xEF)
            ReadApp(marker, body);
        else if (marker == kCom) {
            m_comment.resize(size_t(body));
            for (int i = 0; i < body; ++i)
                m_comment[size_t(i)] = static_cast<uint8_t>(ReadByte());
        } else
            Skip(size_t(body));
    }
}

void CJpegDecoder::ReadQuant(int length) {
    while (length > 0) {
        const int pq = ReadByte();
        const int precision = pq >> 4, id = pq & 15;
        const int bytes = precision ? 129 : 65;
        if (id > 3 || precision > 1 || length < bytes)
            Fail(id > 3 ? 10016 : kErrJpegCorrupt);
        for (int k = 0; k < 64; ++k) {
            const int v = precision ? Read16() : ReadByte();
            m_quant[id][kJpegNaturalOrder[k]] = static_cast<uint16_t>(v ? v : 1);
        }
        m_quantDefined[id] = true;
        length -= bytes;
    }
    if (length != 0)
        Fail(kErrJpegCorrupt);
}

void CJpegDecoder::ReadHuffman(int length) {
    while (length > 0) {
        if (length < 17)
            Fail(kErrJpegCorrupt);
        const int tc = ReadByte();
        const int kind = tc >> 4, id = tc & 15;
        if (kind > 1 || id > 3)
            Fail(10018);
        uint8_t bits[16];
        int total = 0;
        for (int i = 0; i < 16; ++i) {
            bits[i] = static_cast<uint8_t>(ReadByte());
            total += bits[i];
        }
        if (total > 256 || length < 17 + total)
            Fail(10028);
        uint8_t values[256];
        for (int i = 0; i < total; ++i)
            values[i] = static_cast<uint8_t>(ReadByte());
        CJpegHuffmanDecoder &table = kind ? m_ac[id] : m_dc[id];
        if (!table.Define(bits, values, total))
            Fail(10028);
        length -= 17 + total;
    }
    if (length != 0)
        Fail(kErrJpegCorrupt);
}

void CJpegDecoder::ReadFrame(int marker, int length) {
    if (marker >= 0xC9 && marker != kDac)
        Fail(kErrJpegArithmetic);
    if (marker != kSof0 && marker != kSof1 && marker != kSof2 && marker != kSof3) {
        // Only DCT and lossless frames are read; the library has no code for
        // a hierarchical frame, so the reader raises its own failure.
        SetJpegLastError(kJpegErrUndefined);
        RaiseImageError(kErrJpegImage);
    }
    if (!m_components.empty() || length < 6)
        Fail(kErrJpegCorrupt);
    m_frame = marker;
    m_precision = ReadByte();
    if (marker == kSof3 ? m_precision < 2 || m_precision > 16 : m_precision != 8)
        Fail(kErrJpegPrecision);
    m_height = Read16();
    m_width = Read16();
    const int count = ReadByte();
    if (m_height == 0)
        Fail(kErrJpegZeroHeight);
    if (m_width == 0)
        Fail(kErrJpegImageSize);
    if (count < 1 || count > 4)
        Fail(kErrJpegComponents);
    if (length != 6 + 3 * count)
        Fail(kErrJpegCorrupt);
    m_components.resize(size_t(count));
    for (Component &c : m_components) {
        c.id = ReadByte();
        const int hv = ReadByte();
        c.h = hv >> 4;
        c.v = hv & 15;
        c.quant = ReadByte();
        if (c.h < 1 || c.h > kMaxSamplingFactor || c.v < 1 || c.v > kMaxSamplingFactor)
            Fail(10010);
        if (c.quant > 3)
            Fail(10016);
    }
}

void CJpegDecoder::ReadApp(int marker, int length) {
    std::vector<uint8_t> data(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        data[size_t(i)] = static_cast<uint8_t>(ReadByte());
    if (marker == kApp0 && length >= 12 && std::memcmp(data.data(), "JFIF", 5) == 0) {
        m_jfif = true;
        m_densityUnit = data[7];
        m_xDensity = data[8] << 8 | data[9];
        m_yDensity = data[10] << 8 | data[11];
    } else if (marker == kApp14 && length >= 12 && std::memcmp(data.data(), "Adobe", 5) == 0) {
        m_adobeTransform = data[11];
    }
}

void CJpegDecoder::ReadScan(int length) {
    const int count = ReadByte();
    if (count < 1 || count > 4 || length != 4 + 2 * count)
        Fail(kErrJpegCorrupt);
    m_scan.order.clear();
    for (int i = 0; i < count; ++i) {
        const int id = ReadByte(), tables = ReadByte();
        auto it = std::find_if(m_components.begin(), m_components.end(),
                               [&](const Component &c) { return c.id == id; });
        if (it == m_components.end())
            Fail(kErrJpegCorrupt);
        const int index = int(it - m_components.begin());
        if (std::find(m_scan.order.begin(), m_scan.order.end(), index) != m_scan.order.end())
            Fail(kErrJpegCorrupt);
        m_scan.order.push_back(index);
        it->dcTable = tables >> 4;
        it->acTable = tables & 15;
        if (it->dcTable > 3 || it->acTable > 3)
            Fail(10018);
    }
    m_scan.ss = ReadByte();
    m_scan.se = ReadByte();
    const int a = ReadByte();
    m_scan.ah = a >> 4;
    m_scan.al = a & 15;
    if (++m_scans > kMaxScans)
        Fail(kErrJpegCorrupt);
    // The frame's sizes are checked before anything about the scan.
    if (m_scans == 1)
        PrepareFrame();
    CheckScan();
    StartScan();
}

void CJpegDecoder::CheckScan() {
    const Scan &s = m_scan;
    const bool all = s.order.size() == m_components.size();
    if (m_frame == kSof2) {
        // Only DC scans may interleave components.
        if (!m_progressive.Start(s.ss, s.se, s.ah, s.al) || (s.ss != 0 && s.order.size() != 1))
            Fail(kErrJpegCorrupt);
        for (int index : s.order) {
            const Component &c = m_components[size_t(index)];
            if (s.ss == 0 ? s.ah == 0 && !m_dc[c.dcTable].Defined() : !m_ac[c.acTable].Defined())
                Fail(kErrJpegCorrupt);
        }
        return;
    }
    // One scan must carry the whole image: several sequential scans would
    // need every sample of the page held at once.
    if (!all)
        Fail(kErrJpegFrame);
    if (m_frame == kSof3) {
        if (s.se != 0 || s.ah != 0 || !m_lossless.Start(s.ss, m_precision, s.al))
            Fail(kErrJpegCorrupt);
    } else if (s.ss != 0 || s.se != 63 || s.ah != 0 || s.al != 0) {
        Fail(kErrJpegCorrupt);
    }
    for (const Component &c : m_components)
        if (!m_dc[c.dcTable].Defined() || (m_frame != kSof3 && !m_ac[c.acTable].Defined()))
            Fail(kErrJpegCorrupt);
}

void CJpegDecoder::PrepareFrame() {
    if (m_components.size() == 1)
        m_components[0].h = m_components[0].v = 1;
    m_hMax = m_vMax = 1;
    int blocks = 0;
    for (const Component &c : m_components) {
        m_hMax = std::max(m_hMax, c.h);
        m_vMax = std::max(m_vMax, c.v);
        blocks += c.h * c.v;
    }
    if (blocks > kMaxBlocksPerMcu)
        Fail(10010);
    // A lossless MCU holds single samples, a DCT MCU 8 x 8 blocks.
    const int unit = m_frame == kSof3 ? 1 : 8;
    m_mcusX = (m_width + unit * m_hMax - 1) / (unit * m_hMax);
    m_mcusY = (m_height + unit * m_vMax - 1) / (unit * m_vMax);
    for (Component &c : m_components) {
        if (m_hMax % c.h || m_vMax % c.v)
            Fail(10010);
        c.blocksX = m_mcusX * c.h;
        c.blocksY = m_mcusY * c.v;
        const int ownWidth = int((int64_t{m_width} * c.h + m_hMax - 1) / m_hMax);
        const int ownHeight = int((int64_t{m_height} * c.v + m_vMax - 1) / m_vMax);
        c.ownBlocksX = (ownWidth + 7) / 8;
        c.ownBlocksY = (ownHeight + 7) / 8;
    }
    if (m_frame == kSof2)
        CheckCoefficientSize();
    else if (m_frame == kSof3 && m_restartInterval % m_mcusX != 0)
        // The predictions restart with a line: an interval must end with one.
        Fail(10042);
    for (Component &c : m_components) {
        c.stride = size_t(c.blocksX) * size_t(unit);
        c.plane.assign(c.stride * size_t(c.v) * size_t(unit), 0);
        if (m_frame == kSof3)
            c.lines.assign(c.stride * size_t(c.v + 1), 0);
        // Progressive streams may define their tables up to the last scan.
        if (m_frame != kSof3 && m_frame != kSof2) {
            if (!m_quantDefined[c.quant])
                Fail(kErrJpegCorrupt);
            JpegInverseDctMultipliers(m_quant[c.quant], c.multipliers);
        }
    }
    for (auto &wide : m_wideRows)
        wide.assign(size_t(m_width) + 8, 0);
    if (!m_transformSet)
        m_transform =
            m_components.size() == 3 && m_adobeTransform != 0 &&
            !(m_components[0].id == 'R' && m_components[1].id == 'G' && m_components[2].id == 'B');
    m_bits.Start(&CJpegDecoder::NextByteOf, this);
    m_scanStarted = true;
}

void CJpegDecoder::StartScan() {
    m_bits.Reset();
    for (Component &c : m_components)
        c.predictor = 0;
    m_mcusToRestart = m_restartInterval;
    m_nextRestart = 0;
    m_firstLine = true;
}

void CJpegDecoder::CheckCoefficientSize() const {
    // Each term is below 2^14 blocks a side, so the sums cannot overflow.
    uint64_t bytes = 0;
    for (const Component &c : m_components)
        bytes += uint64_t(c.blocksX) * uint64_t(c.blocksY) * 64 * sizeof(int16_t);
    if (bytes > kMaxCoefficientBytes || bytes > SIZE_MAX)
        Fail(10003);
}

bool CJpegDecoder::QuantTable(int id, uint16_t out[64]) const {
    if (id < 0 || id > 3 || !m_quantDefined[id])
        return false;
    std::memcpy(out, m_quant[id], sizeof m_quant[id]);
    return true;
}

void CJpegDecoder::Sampling(int component, int &h, int &v) const {
    h = v = 1;
    if (component >= 0 && component < int(m_components.size())) {
        h = m_components[size_t(component)].h;
        v = m_components[size_t(component)].v;
    }
}

void CJpegDecoder::Restart() {
    m_bits.Reset();
    int marker = m_bits.TakeMarker();
    if (marker == 0)
        marker = NextMarker();
    if (marker != kRst0 + m_nextRestart)
        Fail(10034);
    m_nextRestart = (m_nextRestart + 1) & 7;
    for (Component &c : m_components)
        c.predictor = 0;
    m_mcusToRestart = m_restartInterval;
    m_progressive.Restart();
    m_firstLine = true;
}

void CJpegDecoder::CountMcu() {
    if (m_restartInterval) {
        if (m_mcusToRestart == 0)
            Restart();
        --m_mcusToRestart;
    }
}

void CJpegDecoder::DecodeBlock(Component &c, uint8_t *out) {
    int16_t coefficients[64] = {};
    const int s = m_dc[c.dcTable].Decode(m_bits);
    if (s < 0 || s > 11)
        Fail(kErrJpegHuffmanCode);
    if (s) {
        const int bits = static_cast<int>(m_bits.Get(s));
        // Kept to 16 bits as the coefficient is: a hostile stream may add up
        // differences without end.
        c.predictor = static_cast<int16_t>(c.predictor +
                                           (bits < (1 << (s - 1)) ? bits - (1 << s) + 1 : bits));
    }
    coefficients[0] = static_cast<int16_t>(c.predictor);
    const CJpegHuffmanDecoder &ac = m_ac[c.acTable];
    bool onlyDc = true;
    for (int k = 1; k < 64;) {
        const int rs = ac.Decode(m_bits);
        if (rs < 0)
            Fail(kErrJpegHuffmanCode);
        const int run = rs >> 4, size = rs & 15;
        if (size == 0) {
            if (run != 15)
                break;
            k += 16;
            continue;
        }
        k += run;
        if (k > 63 || size > 10)
            Fail(kErrJpegHuffmanCode);
        const int bits = static_cast<int>(m_bits.Get(size));
        onlyDc = false;
        coefficients[kJpegNaturalOrder[k]] =
            static_cast<int16_t>(bits < (1 << (size - 1)) ? bits - (1 << size) + 1 : bits);
        ++k;
    }
    if (m_bits.Overrun())
        Fail(kErrJpegEof);
    if (onlyDc) {
        FillBlock(c, coefficients[0], out);
        return;
    }
    JpegInverseDct(coefficients, c.multipliers, out, static_cast<int>(c.stride));
}

void CJpegDecoder::FillBlock(const Component &c, int16_t dc, uint8_t *out) {
    // The transform of a lone DC term is that term in every sample (the
    // same value the full transform gives).
    const float v = float(dc) * c.multipliers[0] + 128.5f;
    const uint8_t sample = v <= 0 ? 0 : v >= 255 ? 255 : static_cast<uint8_t>(v);
    for (int r = 0; r < 8; ++r)
        std::memset(out + size_t(r) * c.stride, sample, 8);
}

void CJpegDecoder::TransformBlock(const Component &c, const int16_t coefficients[64],
                                  uint8_t *out) {
    for (int k = 1; k < 64; ++k)
        if (coefficients[k] != 0) {
            JpegInverseDct(coefficients, c.multipliers, out, static_cast<int>(c.stride));
            return;
        }
    FillBlock(c, coefficients[0], out);
}

void CJpegDecoder::DecodeLosslessRow() {
    // Restarts fall on the first MCU of a row (checked with the frame).
    CountMcu();
    const bool firstLine = m_firstLine;
    m_firstLine = false;
    for (int mx = 0; mx < m_mcusX; ++mx) {
        if (mx > 0)
            CountMcu();
        for (int index : m_scan.order) {
            Component &c = m_components[size_t(index)];
            const CJpegHuffmanDecoder &table = m_dc[c.dcTable];
            for (int by = 0; by < c.v; ++by) {
                // Line 0 is the line above the MCU row.
                uint16_t *line = c.lines.data() + size_t(by + 1) * c.stride;
                const uint16_t *above = line - c.stride;
                for (int bx = 0; bx < c.h; ++bx) {
                    const size_t x = size_t(mx) * size_t(c.h) + size_t(bx);
                    const int s = table.Decode(m_bits);
                    if (s < 0 || s > 16)
                        Fail(kErrJpegHuffmanCode);
                    // Category 16 is the one difference, 32768, with no
                    // extra bits.
                    int difference = s == 16 ? 32768 : 0;
                    if (s > 0 && s < 16) {
                        const int bits = static_cast<int>(m_bits.Get(s));
                        difference = bits < (1 << (s - 1)) ? bits - (1 << s) + 1 : bits;
                    }
                    const int prediction =
                        m_lossless.Predict(firstLine && by == 0, x == 0, x ? line[x - 1] : 0,
                                           above[x], x ? above[x - 1] : 0);
                    line[x] = CJpegLosslessPredictor::Reconstruct(prediction, difference);
                }
            }
        }
        if (m_bits.Overrun())
            Fail(kErrJpegEof);
    }
    for (Component &c : m_components) {
        for (size_t i = 0; i < c.stride * size_t(c.v); ++i)
            c.plane[i] = m_lossless.ToByte(c.lines[c.stride + i]);
        std::memcpy(c.lines.data(), c.lines.data() + c.stride * size_t(c.v),
                    c.stride * sizeof(uint16_t));
    }
}

void CJpegDecoder::DecodeProgressive() {
    for (Component &c : m_components)
        c.coefficients.assign(size_t(c.blocksX) * size_t(c.blocksY) * 64, 0);
    for (;;) {
        DecodeProgressiveScan();
        int marker = m_bits.TakeMarker();
        if (marker == kEndOfData)
            Fail(kErrJpegEof);
        if (!ReadSegments(marker ? marker : NextMarker(), false))
            break;
    }
    for (Component &c : m_components) {
        if (!m_quantDefined[c.quant])
            Fail(kErrJpegCorrupt);
        JpegInverseDctMultipliers(m_quant[c.quant], c.multipliers);
    }
    m_coefficientsDecoded = true;
}

void CJpegDecoder::DecodeProgressiveScan() {
    if (m_scan.order.size() == 1) {
        // A scan of one component runs over that component's own blocks,
        // one block an MCU.
        Component &c = m_components[size_t(m_scan.order[0])];
        for (int by = 0; by < c.ownBlocksY; ++by)
            for (int bx = 0; bx < c.ownBlocksX; ++bx) {
                CountMcu();
                DecodeProgressiveMcu(c, bx, by);
            }
        return;
    }
    for (int my = 0; my < m_mcusY; ++my)
        for (int mx = 0; mx < m_mcusX; ++mx) {
            CountMcu();
            for (int index : m_scan.order) {
                Component &c = m_components[size_t(index)];
                for (int by = 0; by < c.v; ++by)
                    for (int bx = 0; bx < c.h; ++bx)
                        DecodeProgressiveMcu(c, mx * c.h + bx, my * c.v + by);
            }
        }
}

void CJpegDecoder::DecodeProgressiveMcu(Component &c, int blockX, int blockY) {
    int16_t *block =
        c.coefficients.data() + (size_t(blockY) * size_t(c.blocksX) + size_t(blockX)) * 64;
    const bool ok = m_progressive.IsDc()
                        ? m_progressive.DecodeDc(m_bits, m_dc[c.dcTable], c.predictor, block)
                        : m_progressive.DecodeAc(m_bits, m_ac[c.acTable], block);
    if (!ok)
        Fail(kErrJpegHuffmanCode);
    if (m_bits.Overrun())
        Fail(kErrJpegEof);
}

void CJpegDecoder::TransformMcuRow() {
    for (Component &c : m_components)
        for (int by = 0; by < c.v; ++by) {
            const size_t blockRow = size_t(m_mcuRow) * size_t(c.v) + size_t(by);
            for (int bx = 0; bx < c.blocksX; ++bx)
                TransformBlock(
                    c, c.coefficients.data() + (blockRow * size_t(c.blocksX) + size_t(bx)) * 64,
                    c.plane.data() + size_t(by) * 8 * c.stride + size_t(bx) * 8);
        }
}

void CJpegDecoder::DecodeMcuRow() {
    if (m_mcuRow >= m_mcusY)
        Fail(kErrJpegCorrupt);
    if (m_frame == kSof3)
        DecodeLosslessRow();
    else if (m_frame == kSof2)
        TransformMcuRow();
    else
        DecodeSequentialRow();
    ++m_mcuRow;
    m_rowInMcu = 0;
    m_rowsInMcu = (m_frame == kSof3 ? 1 : 8) * m_vMax;
}

void CJpegDecoder::DecodeSequentialRow() {
    for (int mx = 0; mx < m_mcusX; ++mx) {
        CountMcu();
        for (int index : m_scan.order) {
            Component &c = m_components[size_t(index)];
            for (int by = 0; by < c.v; ++by)
                for (int bx = 0; bx < c.h; ++bx) {
                    uint8_t *at = c.plane.data() + size_t(by) * 8 * c.stride +
                                  (size_t(mx) * size_t(c.h) + size_t(bx)) * 8;
                    DecodeBlock(c, at);
                }
        }
    }
}

void CJpegDecoder::EmitRow(uint8_t *out) {
    const int y = m_rowInMcu;
    if (m_components.size() == 1) {
        const Component &c = m_components[0];
        std::memcpy(out, c.plane.data() + size_t(y) * c.stride, size_t(m_width));
        return;
    }
    // Each component's row at full width: subsampled ones repeated.
    const uint8_t *row[3];
    for (int i = 0; i < 3; ++i) {
        const Component &c = m_components[size_t(i)];
        const uint8_t *source = c.plane.data() + size_t(y * c.v / m_vMax) * c.stride;
        const int repeat = m_hMax / c.h;
        if (repeat == 1) {
            row[i] = source;
            continue;
        }
        uint8_t *wide = m_wideRows[size_t(i)].data();
        if (repeat == 2) {
            for (int x = 0; x < m_width; x += 2)
                wide[x] = wide[x + 1] = source[x >> 1];
        } else {
            for (int x = 0; x < m_width; ++x)
                wide[x] = source[x / repeat];
        }
        row[i] = wide;
    }
    if (!m_transform) {
        for (int x = 0; x < m_width; ++x) {
            out[3 * size_t(x)] = row[0][x];
            out[3 * size_t(x) + 1] = row[1][x];
            out[3 * size_t(x) + 2] = row[2][x];
        }
        return;
    }
    const ColourTables &t = Tables();
    for (int x = 0; x < m_width; ++x) {
        const int luma = row[0][x], cb = row[1][x], cr = row[2][x];
        uint8_t *o = out + 3 * size_t(x);
        o[0] = t.Clamp(luma + t.crR[cr]);
        o[1] = t.Clamp(luma + ((t.cbG[cb] + t.crG[cr]) >> 16));
        o[2] = t.Clamp(luma + t.cbB[cb]);
    }
}

void CJpegDecoder::ReadRows(uint8_t *out, int rows, size_t stride) {
    if (!m_scanStarted || m_components.size() == 2 || m_components.size() == 4)
        Fail(kErrJpegComponents);
    if (m_frame == kSof2 && !m_coefficientsDecoded && rows > 0)
        DecodeProgressive();
    for (int r = 0; r < rows; ++r) {
        if (m_outputRow >= m_height)
            Fail(kErrJpegCorrupt);
        if (m_rowInMcu >= m_rowsInMcu)
            DecodeMcuRow();
        EmitRow(out + size_t(r) * stride);
        ++m_rowInMcu;
        ++m_outputRow;
    }
}

}  // namespace corv
