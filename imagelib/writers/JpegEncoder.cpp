#include "JpegEncoder.h"

#include "JpegForwardDct.h"
#include "JpegKernels.h"
#include "JpegLibrary.h"

#include <cstring>
#include <new>

namespace corv {
namespace {

constexpr int kMaxDimension = 65535;
constexpr int kMaxRestartInterval = 65535;
constexpr size_t kMaxSegmentPayload = 65533;
constexpr int kMaxAppSegments = 15;
constexpr int kMaxBlocksPerMcu = 10;
constexpr uint8_t kFirstAppMarker = 0xE1;
constexpr uint8_t kLastAppMarker = 0xEF;
constexpr uint8_t kDefaultOrder[] = {kMarkerDqt, kMarkerDri, kMarkerSof0, kMarkerDht};
// Restart marker plus the padded bits of the previous interval.
constexpr size_t kRestartBytes = 16;

template <typename T>
std::unique_ptr<T[]> Allocate(size_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[count ? count : 1]);
}

}  // namespace

std::unique_ptr<CJpegEncoder> CJpegEncoder::Create(int process) {
    if (!CJpegLibrary::Initialised()) {
        CJpegLibrary::Fail(kJpegErrNotInitialised);
        return nullptr;
    }
    if (process != kJpegProcessJfif) {
        // The alternate layout exists in the format but this library never
        // writes it.
        CJpegLibrary::Fail(process == kJpegProcessAlternate ? kJpegErrNotImplemented
                                                            : kJpegErrProcess);
        return nullptr;
    }
    std::unique_ptr<CJpegEncoder> e(new (std::nothrow) CJpegEncoder);
    if (!e)
        CJpegLibrary::Fail(kJpegErrOutOfMemory);
    else
        e->m_header.markerOrder.assign(std::begin(kDefaultOrder), std::end(kDefaultOrder));
    return e;
}

CJpegEncoder::~CJpegEncoder() = default;

bool CJpegEncoder::SetCoding(int coding) {
    if (coding == kJpegCodingDct) {
        m_coding = coding;
        return true;
    }
    return CJpegLibrary::Fail(coding == kJpegCodingLossless ? kJpegErrNotImplemented
                                                            : kJpegErrProcess);
}

bool CJpegEncoder::SetComponentCount(int count) {
    if (count != 1 && count != 3 && count != 4)
        return CJpegLibrary::Fail(kJpegErrComponents);
    m_header.componentCount = count;
    for (int c = 0; c < 4; ++c) {
        JpegComponentInfo &ci = m_header.components[c];
        ci = JpegComponentInfo{};
        ci.id = c + 1;
        // Components 2 and 3 are chrominance; 1 and 4 use the luminance set.
        const int set = (c == 1 || c == 2) ? 1 : 0;
        ci.quantTable = ci.dcTable = ci.acTable = set;
    }
    return true;
}

bool CJpegEncoder::SetComponentId(int component, int id) {
    if (component < 0 || component >= 4 || id < 0 || id > 255)
        return CJpegLibrary::Fail(kJpegErrComponents);
    m_header.components[component].id = id;
    return true;
}

bool CJpegEncoder::SetInterleaved(bool interleaved) {
    m_interleaved = interleaved;
    return true;
}

bool CJpegEncoder::SetSampling(int component, int h, int v) {
    if (component < 0 || component >= 4)
        return CJpegLibrary::Fail(kJpegErrComponents);
    if (h < 1 || h > 2 || v < 1 || v > 2)
        return CJpegLibrary::Fail(kJpegErrSampling);
    m_header.components[component].h = h;
    m_header.components[component].v = v;
    return true;
}

bool CJpegEncoder::SetQuantTable(int slot, const uint16_t table[64]) {
    if (slot < 0 || slot >= 4)
        return CJpegLibrary::Fail(kJpegErrQuantId);
    // The DQT segment holds 8-bit steps: a larger one would be written as
    // its low byte and decode to a different picture.
    for (int i = 0; i < 64; ++i)
        if (table[i] < 1 || table[i] > 255)
            return CJpegLibrary::Fail(kJpegErrQuantValue);
    std::memcpy(m_quant[slot], table, sizeof m_quant[slot]);
    m_quantUsed[slot] = true;
    return true;
}

bool CJpegEncoder::SetHuffmanTable(int slot, const JpegHuffmanDefinition &definition) {
    if (slot < 0 || slot >= kHuffSlots)
        return CJpegLibrary::Fail(kJpegErrHuffmanId);
    if (definition.count < 0 || definition.count > 256 ||
        !DeriveHuffmanTable(definition, slot < kHuffAc0, m_derived[slot]))
        return CJpegLibrary::Fail(kJpegErrHuffmanCodes);
    m_huffmanValues[slot].assign(definition.values, definition.values + definition.count);
    m_huffman[slot] = definition;
    m_huffman[slot].values = m_huffmanValues[slot].data();
    m_huffmanUsed[slot] = true;
    return true;
}

bool CJpegEncoder::MapComponent(int component, int quantTable, int dcTable, int acTable) {
    if (component < 0 || component >= 4)
        return CJpegLibrary::Fail(kJpegErrComponents);
    if (quantTable < 0 || quantTable >= 4)
        return CJpegLibrary::Fail(kJpegErrQuantId);
    if (dcTable < 0 || dcTable > 1 || acTable < 0 || acTable > 1)
        return CJpegLibrary::Fail(kJpegErrHuffmanId);
    JpegComponentInfo &ci = m_header.components[component];
    ci.quantTable = quantTable;
    ci.dcTable = dcTable;
    ci.acTable = acTable;
    return true;
}

bool CJpegEncoder::SetImageSize(int width, int height) {
    if (width > kMaxDimension || height > kMaxDimension)
        return CJpegLibrary::Fail(kJpegErrTooBig);
    if (width < 1 || height < 1)
        return CJpegLibrary::Fail(kJpegErrImageSize);
    m_header.width = width;
    m_header.height = height;
    return true;
}

void CJpegEncoder::SetDensity(int unit, int x, int y) {
    m_header.densityUnit = unit;
    m_header.densityX = x;
    m_header.densityY = y;
}

bool CJpegEncoder::SetComment(const uint8_t *bytes, size_t length) {
    if (length > kMaxSegmentPayload)
        return CJpegLibrary::Fail(kJpegErrCommentLength);
    m_comment.assign(bytes, bytes + length);
    return true;
}

bool CJpegEncoder::AddAppSegment(uint8_t marker, const uint8_t *bytes, size_t length) {
    if (marker < kFirstAppMarker || marker > kLastAppMarker)
        return CJpegLibrary::Fail(kJpegErrAppMarker);
    if (length > kMaxSegmentPayload || m_apps.size() >= kMaxAppSegments)
        return CJpegLibrary::Fail(kJpegErrCommentLength);
    m_apps.push_back({marker, std::vector<uint8_t>(bytes, bytes + length)});
    return true;
}

void CJpegEncoder::SetMarkerOrder(const uint8_t *markers, size_t count) {
    m_header.markerOrder.assign(markers, markers + count);
}

bool CJpegEncoder::AllocatePlanes() {
    for (int c = 0; c < m_header.componentCount; ++c) {
        const JpegComponentInfo &ci = m_header.components[c];
        m_planes[c] = Allocate<uint8_t>(size_t(m_paddedWidth) * size_t(m_mcuHeight));
        if (!m_planes[c])
            return CJpegLibrary::Fail(kJpegErrOutOfMemory);
        if (ci.h < m_maxH || ci.v < m_maxV) {
            m_reduced[c] = Allocate<uint8_t>(size_t(m_paddedWidth) * size_t(m_mcuHeight));
            if (!m_reduced[c])
                return CJpegLibrary::Fail(kJpegErrOutOfMemory);
        }
    }
    m_blocksPerMcu = 0;
    for (int c = 0; c < m_header.componentCount; ++c) {
        const JpegComponentInfo &ci = m_header.components[c];
        m_firstBlock[c] = m_blocksPerMcu;
        m_blocksPerMcu += m_reduced[c] ? ci.h * ci.v : m_maxH * m_maxV;
    }
    const size_t batchBlocks = size_t(kBatchMcus) * size_t(m_blocksPerMcu);
    m_blocks = Allocate<int16_t>(batchBlocks * 64);
    m_nonZero = Allocate<uint64_t>(batchBlocks);
    if (!m_blocks || !m_nonZero)
        return CJpegLibrary::Fail(kJpegErrOutOfMemory);
    m_converter.reset(new (std::nothrow) CJpegColorConverter(
        m_header.componentCount, m_colourTransform, m_header.width, m_paddedWidth));
    return m_converter ? true : CJpegLibrary::Fail(kJpegErrOutOfMemory);
}

bool CJpegEncoder::Start(CComFile *stream) {
    if (m_started || !stream)
        return CJpegLibrary::Fail(kJpegErrProcess);
    if (!ValidateComponents() || !ComputeMcuGeometry() || !ComputeRestartInterval())
        return false;
    BindTables();
    if (!AllocatePlanes())
        return false;
    WriteHeader(stream);
    return true;
}

bool CJpegEncoder::ValidateComponents() {
    const int count = m_header.componentCount;
    if (count == 0 || m_header.width == 0)
        return CJpegLibrary::Fail(kJpegErrImageSize);
    if (!m_interleaved && count > 1)
        return CJpegLibrary::Fail(kJpegErrNotImplemented);
    if (count == 1)
        m_header.components[0].h = m_header.components[0].v = 1;
    for (int c = 0; c < count; ++c) {
        const JpegComponentInfo &ci = m_header.components[c];
        if (!m_quantUsed[ci.quantTable])
            return CJpegLibrary::Fail(kJpegErrQuantId);
        if (!m_huffmanUsed[ci.dcTable] || !m_huffmanUsed[kHuffAc0 + ci.acTable])
            return CJpegLibrary::Fail(kJpegErrHuffmanId);
    }
    return true;
}

bool CJpegEncoder::ComputeMcuGeometry() {
    const int count = m_header.componentCount;
    m_maxH = m_maxV = 1;
    int blocks = 0;
    for (int c = 0; c < count; ++c) {
        const JpegComponentInfo &ci = m_header.components[c];
        m_maxH = ci.h > m_maxH ? ci.h : m_maxH;
        m_maxV = ci.v > m_maxV ? ci.v : m_maxV;
        blocks += ci.h * ci.v;
    }
    // A baseline decoder takes at most ten blocks per interleaved MCU.
    if (count > 1 && blocks > kMaxBlocksPerMcu)
        return CJpegLibrary::Fail(kJpegErrSampling);
    m_mcuWidth = 8 * m_maxH;
    m_mcuHeight = 8 * m_maxV;
    m_mcusPerRow = (m_header.width + m_mcuWidth - 1) / m_mcuWidth;
    m_paddedWidth = m_mcusPerRow * m_mcuWidth;
    return true;
}

bool CJpegEncoder::ComputeRestartInterval() {
    int64_t interval = m_restartInterval;
    if (interval == 0 && m_restartRows > 0)
        interval = int64_t(m_mcusPerRow) * m_restartRows;
    if (interval > kMaxRestartInterval)
        return CJpegLibrary::Fail(kJpegErrRestartTooBig);
    m_header.restartInterval = static_cast<int>(interval);
    return true;
}

void CJpegEncoder::BindTables() {
    for (int t = 0; t < 4; ++t) {
        m_header.quantTables[t] = nullptr;
        m_header.huffmanTables[t] = nullptr;
    }
    for (int c = 0; c < m_header.componentCount; ++c) {
        const JpegComponentInfo &ci = m_header.components[c];
        m_header.quantTables[ci.quantTable] = m_quant[ci.quantTable];
        m_quantizer[ci.quantTable].SetTable(m_quant[ci.quantTable]);
        m_header.huffmanTables[ci.dcTable] = &m_huffman[ci.dcTable];
        m_header.huffmanTables[kHuffAc0 + ci.acTable] = &m_huffman[kHuffAc0 + ci.acTable];
    }
    m_header.comment = &m_comment;
    m_header.appSegments = &m_apps;
}

void CJpegEncoder::WriteHeader(CComFile *stream) {
    m_output.reset(new CJpegOutput(stream));
    m_huffmanEncoder.reset(new CJpegHuffmanEncoder(*m_output));
    m_markers.reset(new CJpegMarkerWriter(*m_output));
    m_markers->WriteHeader(m_header);
    m_restartsLeft = m_header.restartInterval;
    m_started = true;
}

bool CJpegEncoder::WriteRows(const uint8_t *rows, int count, size_t stride) {
    if (!m_started || m_finished)
        return CJpegLibrary::Fail(kJpegErrProcess);
    if (count < 0 || count > m_header.height - m_rowsIn)
        return CJpegLibrary::Fail(kJpegErrRegion);
    for (int r = 0; r < count; ++r, rows += stride) {
        uint8_t *out[4];
        for (int c = 0; c < m_header.componentCount; ++c)
            out[c] = m_planes[c].get() + size_t(m_planeRows) * size_t(m_paddedWidth);
        m_converter->ConvertRow(rows, out);
        ++m_rowsIn;
        if (++m_planeRows == m_mcuHeight) {
            EncodeMcuRow();
            m_planeRows = 0;
        }
    }
    return true;
}

void CJpegEncoder::RepeatLastRow() {
    const size_t width = size_t(m_paddedWidth);
    for (int c = 0; c < m_header.componentCount; ++c) {
        const uint8_t *last = m_planes[c].get() + size_t(m_planeRows - 1) * width;
        for (int r = m_planeRows; r < m_mcuHeight; ++r)
            std::memcpy(m_planes[c].get() + size_t(r) * width, last, width);
    }
}

void CJpegEncoder::Downsample(int component) {
    const JpegComponentInfo &ci = m_header.components[component];
    const int fx = m_maxH / ci.h, fy = m_maxV / ci.v;
    const int outWidth = m_paddedWidth / fx, outRows = m_mcuHeight / fy;
    const int area = fx * fy;
    const uint8_t *in = m_planes[component].get();
    uint8_t *out = m_reduced[component].get();
    for (int y = 0; y < outRows; ++y)
        for (int x = 0; x < outWidth; ++x) {
            int sum = 0;
            for (int dy = 0; dy < fy; ++dy)
                for (int dx = 0; dx < fx; ++dx)
                    sum += in[size_t(y * fy + dy) * size_t(m_paddedWidth) + size_t(x * fx + dx)];
            out[size_t(y) * size_t(outWidth) + size_t(x)] =
                static_cast<uint8_t>((sum + area / 2) / area);
        }
}

void CJpegEncoder::TransformBlockRow(int component, int blockRow, int firstMcu, int mcus) {
    const JpegComponentInfo &ci = m_header.components[component];
    const bool reduced = static_cast<bool>(m_reduced[component]);
    const uint8_t *plane = reduced ? m_reduced[component].get() : m_planes[component].get();
    const int stride = reduced ? m_paddedWidth / (m_maxH / ci.h) : m_paddedWidth;
    const int h = reduced ? ci.h : m_maxH;
    const uint8_t *row = plane + size_t(blockRow * 8) * size_t(stride) + size_t(firstMcu * h * 8);
    const CJpegQuantizer &quantizer = m_quantizer[ci.quantTable];
    static const bool pairs = JpegCpuHasAvx2();
    const int blocks = mcus * h;
    for (int b = 0; b < blocks;) {
        // Block b of the row belongs to MCU b / h of the batch.
        const auto slot = [&](int block) {
            return size_t(block / h) * size_t(m_blocksPerMcu) + size_t(m_firstBlock[component]) +
                   size_t(blockRow * h + block % h);
        };
        const size_t first = slot(b);
        if (pairs && b + 1 < blocks) {
            const size_t second = slot(b + 1);
            JpegTransformQuantizePairAvx2(row + size_t(b) * 8, stride, quantizer.KernelSteps(),
                                          &m_blocks[first * 64], m_nonZero[first],
                                          &m_blocks[second * 64], m_nonZero[second]);
            m_nonZero[first] = CJpegQuantizer::ZigzagMask(m_nonZero[first]);
            m_nonZero[second] = CJpegQuantizer::ZigzagMask(m_nonZero[second]);
            b += 2;
        } else {
            alignas(16) int16_t coef[64];
            JpegForwardDct(row + size_t(b) * 8, stride, coef);
            m_nonZero[first] = quantizer.Quantize(coef, &m_blocks[first * 64]);
            b += 1;
        }
    }
}

void CJpegEncoder::CodeMcu(int batchIndex) {
    if (m_header.restartInterval) {
        if (m_restartsLeft == 0) {
            m_output->Reserve(kRestartBytes);
            m_huffmanEncoder->FlushBits();
            m_markers->WriteRestart(m_nextRestart++);
            for (int32_t &dc : m_lastDc)
                dc = 0;
            m_restartsLeft = m_header.restartInterval;
        }
        --m_restartsLeft;
    }
    m_output->Reserve(CJpegHuffmanEncoder::kMaxBlockBytes * size_t(m_blocksPerMcu));
    size_t block = size_t(batchIndex) * size_t(m_blocksPerMcu);
    for (int c = 0; c < m_header.componentCount; ++c) {
        const JpegComponentInfo &ci = m_header.components[c];
        const int end = c + 1 < m_header.componentCount ? m_firstBlock[c + 1] : m_blocksPerMcu;
        for (int b = m_firstBlock[c]; b < end; ++b, ++block)
            m_huffmanEncoder->EncodeBlock(&m_blocks[block * 64], m_nonZero[block], m_lastDc[c],
                                          m_derived[ci.dcTable], m_derived[kHuffAc0 + ci.acTable]);
    }
}

void CJpegEncoder::EncodeMcuRow() {
    for (int c = 0; c < m_header.componentCount; ++c)
        if (m_reduced[c])
            Downsample(c);
    for (int x = 0; x < m_mcusPerRow; x += kBatchMcus) {
        const int mcus = m_mcusPerRow - x < kBatchMcus ? m_mcusPerRow - x : kBatchMcus;
        for (int c = 0; c < m_header.componentCount; ++c) {
            const JpegComponentInfo &ci = m_header.components[c];
            const int v = m_reduced[c] ? ci.v : m_maxV;
            for (int by = 0; by < v; ++by)
                TransformBlockRow(c, by, x, mcus);
        }
        for (int i = 0; i < mcus; ++i)
            CodeMcu(i);
    }
}

bool CJpegEncoder::Finish() {
    if (!m_started || m_finished)
        return CJpegLibrary::Fail(kJpegErrProcess);
    // A stream that stops short of its declared height would not decode.
    if (m_rowsIn < m_header.height)
        return CJpegLibrary::Fail(kJpegErrRegion);
    if (m_planeRows > 0) {
        RepeatLastRow();
        EncodeMcuRow();
        m_planeRows = 0;
    }
    m_output->Reserve(kRestartBytes);
    m_huffmanEncoder->FlushBits();
    m_markers->WriteEnd();
    m_output->Flush();
    m_finished = true;
    return true;
}

}  // namespace corv
