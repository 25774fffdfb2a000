#pragma once
// CJpegEncoder: one baseline stream being written. It is set up through its
// setters (each returns false and sets the library's last error on a bad
// value), started on a stream, fed rows top to bottom and finished.
#include "ComFile.h"
#include "JpegColorConverter.h"
#include "JpegHuffmanEncoder.h"
#include "JpegMarkerWriter.h"
#include "JpegOutput.h"
#include "JpegQuantizer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace corv {

// Header layouts and codings of the library.
enum : int { kJpegProcessJfif = 2, kJpegProcessAlternate = 3 };
enum : int { kJpegCodingDct = 1, kJpegCodingLossless = 2 };

class CJpegEncoder {
public:
    // Null with the last error set when the library is not initialised or
    // the process is unknown.
    static std::unique_ptr<CJpegEncoder> Create(int process);
    ~CJpegEncoder();
    CJpegEncoder(const CJpegEncoder &) = delete;
    CJpegEncoder &operator=(const CJpegEncoder &) = delete;

    bool SetCoding(int coding);
    bool SetComponentCount(int count);
    bool SetComponentId(int component, int id);
    // Off: three components are coded as the R, G, B samples they arrive as.
    void SetColourTransform(bool on) { m_colourTransform = on; }
    bool SetInterleaved(bool interleaved);
    bool SetSampling(int component, int h, int v);
    bool SetQuantTable(int slot, const uint16_t table[64]);
    bool SetHuffmanTable(int slot, const JpegHuffmanDefinition &definition);
    bool MapComponent(int component, int quantTable, int dcTable, int acTable);
    void SetRestartInterval(int mcus) { m_restartInterval = mcus; }
    void SetRestartRows(int rows) { m_restartRows = rows; }
    bool SetImageSize(int width, int height);
    void SetDensity(int unit, int x, int y);
    bool SetComment(const uint8_t *bytes, size_t length);
    bool AddAppSegment(uint8_t marker, const uint8_t *bytes, size_t length);
    void SetWriteHeaders(bool on) { m_header.writeHeaders = on; }
    void SetMarkerOrder(const uint8_t *markers, size_t count);

    // Computes the MCU geometry and writes the header.
    bool Start(CComFile *stream);
    // `count` rows of width x components samples, `stride` bytes apart.
    bool WriteRows(const uint8_t *rows, int count, size_t stride);
    // Codes the last partial MCU row, pads the bits and writes EOI.
    bool Finish();
    // Hands everything gathered so far to the stream.
    void FlushOutput() { m_output->Flush(); }
    uint64_t BytesWritten() const { return m_output ? m_output->Written() : 0; }

    int RestartInterval() const { return m_header.restartInterval; }
    int McusPerRow() const { return m_mcusPerRow; }
    int RowsWritten() const { return m_rowsIn; }

private:
    CJpegEncoder() = default;
    // The stages of Start: check the components and their tables, the MCU
    // geometry, the restart interval, tables bound to the header, the
    // sample planes, then the header written.
    bool ValidateComponents();
    bool ComputeMcuGeometry();
    bool ComputeRestartInterval();
    void BindTables();
    bool AllocatePlanes();
    void WriteHeader(CComFile *stream);
    void EncodeMcuRow();
    void Downsample(int component);
    void TransformBlockRow(int component, int blockRow, int firstMcu, int mcus);
    void CodeMcu(int batchIndex);
    void RepeatLastRow();

    JpegHeaderInfo m_header;
    int m_coding = kJpegCodingDct;
    bool m_interleaved = true;
    bool m_colourTransform = true;
    uint16_t m_quant[4][64] = {};
    bool m_quantUsed[4] = {};
    JpegHuffmanDefinition m_huffman[kHuffSlots] = {};
    std::vector<uint8_t> m_huffmanValues[kHuffSlots];
    bool m_huffmanUsed[kHuffSlots] = {};
    JpegDerivedTable m_derived[kHuffSlots] = {};
    CJpegQuantizer m_quantizer[4];
    std::vector<uint8_t> m_comment;
    std::vector<JpegAppSegment> m_apps;
    int m_restartInterval = 0;
    int m_restartRows = 0;

    // Geometry.
    int m_maxH = 1, m_maxV = 1;
    int m_mcuWidth = 8, m_mcuHeight = 8;
    int m_mcusPerRow = 0;
    int m_paddedWidth = 0;

    // Planes of one MCU row: full resolution while rows arrive, and the
    // downsampled copy of components with smaller factors.
    std::unique_ptr<uint8_t[]> m_planes[4];
    std::unique_ptr<uint8_t[]> m_reduced[4];
    int m_planeRows = 0;  // rows of the current MCU row filled
    int m_rowsIn = 0;     // rows received in total
    std::unique_ptr<CJpegColorConverter> m_converter;

    // Quantised blocks of a batch of MCUs, in coding order, with their
    // zigzag non-zero masks: the transform runs ahead of the Huffman coder
    // so that side-by-side blocks can share vector registers.
    static constexpr int kBatchMcus = 16;
    int m_blocksPerMcu = 0;
    int m_firstBlock[4] = {};  // of each component within an MCU
    std::unique_ptr<int16_t[]> m_blocks;
    std::unique_ptr<uint64_t[]> m_nonZero;

    std::unique_ptr<CJpegOutput> m_output;
    std::unique_ptr<CJpegHuffmanEncoder> m_huffmanEncoder;
    std::unique_ptr<CJpegMarkerWriter> m_markers;
    int32_t m_lastDc[4] = {};
    int m_restartsLeft = 0;
    int m_nextRestart = 0;
    bool m_started = false;
    bool m_finished = false;
};

}  // namespace corv
