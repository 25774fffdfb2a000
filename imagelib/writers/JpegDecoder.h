#pragma once
// CJpegDecoder: reads a Huffman-coded JPEG stream row by row: markers,
// entropy decoding, inverse DCT of one MCU row at a time, upsampling and the
// YCbCr -> RGB conversion. Sequential DCT streams (one interleaved scan, or
// one component) and lossless streams (one scan) hold only one MCU row of
// samples. Progressive streams refine every coefficient over many scans, so
// their coefficients are held for the whole page (within a fixed cap) and
// decoded before the first row is given out.
// Failures raise the JPEG library's codes (and set its last error).
#include "ComFile.h"
#include "JpegHuffmanDecoder.h"
#include "JpegLosslessPredictor.h"
#include "JpegProgressiveBlock.h"

#include <cstdint>
#include <vector>

namespace corv {

class CJpegDecoder {
public:
    // The most coefficient memory a progressive page may take (2 bytes per
    // coefficient): a colour A4 page at 1200 dpi without subsampling fits.
    static constexpr uint64_t kMaxCoefficientBytes = uint64_t{1} << 30;
    // Scans a progressive stream may have; a full script has about ten.
    static constexpr int kMaxScans = 1000;

    // Reads at most `limit` bytes of `stream` from its current position.
    CJpegDecoder(CComFile &stream, uint64_t limit);

    // An abbreviated stream holding only tables (a TIFF's JPEGTables),
    // read before the image's own stream.
    void ReadTables(const uint8_t *bytes, size_t length);
    // Reads the markers up to the first scan.
    void ReadHeader();
    // Whether three components are YCbCr (true unless the stream says RGB);
    // a container that knows better may set it.
    void SetColourTransform(bool on) {
        m_transform = on;
        m_transformSet = true;
    }
    // Bytes taken from the stream so far (read ahead included).
    uint64_t Consumed() const { return m_limit - m_left; }
    // Decodes the next `rows` rows: gray bytes or R, G, B triples.
    void ReadRows(uint8_t *out, int rows, size_t stride);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Components() const { return int(m_components.size()); }
    int Frame() const { return m_frame; }
    int DensityUnit() const { return m_densityUnit; }
    int XDensity() const { return m_xDensity; }
    int YDensity() const { return m_yDensity; }
    bool HasJfif() const { return m_jfif; }
    const std::vector<uint8_t> &Comment() const { return m_comment; }
    // Quantisation table `id` in natural order; false when not defined.
    bool QuantTable(int id, uint16_t out[64]) const;
    void Sampling(int component, int &h, int &v) const;

private:
    struct Component {
        int id = 0, h = 1, v = 1, quant = 0;
        int dcTable = 0, acTable = 0;
        int predictor = 0;
        float multipliers[64];
        std::vector<uint8_t> plane;  // one MCU row of samples
        size_t stride = 0;
        // Progressive: every block of the padded MCU grid, and the blocks a
        // scan of this component alone covers (its own size, T.81 A.2.2).
        std::vector<int16_t> coefficients;
        int blocksX = 0, blocksY = 0;
        int ownBlocksX = 0, ownBlocksY = 0;
        // Lossless: the line above the MCU row, then the MCU row's lines.
        std::vector<uint16_t> lines;
    };
    struct Scan {
        std::vector<int> order;  // component indexes
        int ss = 0, se = 0, ah = 0, al = 0;
    };

    static int NextByteOf(void *context);
    int NextByte();
    int ReadByte();  // raises at the end
    int Read16();
    void Skip(size_t n);
    int NextMarker();
    void ParseMarkers(bool tablesOnly);
    void ReadQuant(int length);
    void ReadHuffman(int length);
    void ReadFrame(int marker, int length);
    // Segments from `marker` on, up to a scan (true) or the end (false).
    bool ReadSegments(int marker, bool tablesOnly);
    void ReadScan(int length);
    void CheckScan();
    void ReadApp(int marker, int length);
    void PrepareFrame();
    void StartScan();
    void DecodeMcuRow();
    void DecodeSequentialRow();
    void DecodeBlock(Component &c, uint8_t *out);
    static void FillBlock(const Component &c, int16_t dc, uint8_t *out);
    static void TransformBlock(const Component &c, const int16_t coefficients[64], uint8_t *out);
    void DecodeLosslessRow();
    void CheckCoefficientSize() const;
    void DecodeProgressive();
    void DecodeProgressiveScan();
    void DecodeProgressiveMcu(Component &c, int blockX, int blockY);
    void TransformMcuRow();
    void CountMcu();
    void Restart();
    void EmitRow(uint8_t *out);

    CComFile &m_stream;
    uint64_t m_limit;
    uint64_t m_left;
    const uint8_t *m_memory = nullptr;
    size_t m_memoryLeft = 0;
    std::vector<uint8_t> m_buffer;
    size_t m_bufferPos = 0;

    CJpegBitReader m_bits;
    CJpegHuffmanDecoder m_dc[4], m_ac[4];
    uint16_t m_quant[4][64] = {};
    bool m_quantDefined[4] = {};
    int m_restartInterval = 0;
    int m_width = 0, m_height = 0, m_frame = 0, m_precision = 8;
    int m_densityUnit = 0, m_xDensity = 0, m_yDensity = 0;
    bool m_jfif = false;
    int m_adobeTransform = -1;
    bool m_transform = true;
    bool m_transformSet = false;
    std::vector<uint8_t> m_comment;
    std::vector<Component> m_components;
    Scan m_scan;
    int m_scans = 0;
    CJpegProgressiveBlock m_progressive;
    CJpegLosslessPredictor m_lossless;
    bool m_firstLine = true;  // lossless: the next line starts its prediction anew
    bool m_coefficientsDecoded = false;
    std::vector<uint8_t> m_wideRows[3];
    int m_hMax = 1, m_vMax = 1;
    int m_mcusX = 0, m_mcusY = 0;
    int m_mcuRow = 0;     // next MCU row to decode
    int m_rowInMcu = 0;   // next row inside the decoded MCU row
    int m_rowsInMcu = 0;  // rows the decoded MCU row holds (0: none yet)
    int m_outputRow = 0;
    int m_mcusToRestart = 0;
    int m_nextRestart = 0;
    bool m_scanStarted = false;
};

}  // namespace corv
