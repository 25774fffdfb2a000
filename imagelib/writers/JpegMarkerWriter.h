#pragma once
// CJpegMarkerWriter: the marker segments of a baseline JFIF stream.
#include "JpegOutput.h"
#include "JpegTables.h"

#include <cstdint>
#include <vector>

namespace corv {

struct JpegComponentInfo {
    int id = 0;
    int h = 1;
    int v = 1;
    int quantTable = 0;
    int dcTable = 0;  // 0 or 1
    int acTable = 0;  // 0 or 1
};

struct JpegAppSegment {
    uint8_t marker = 0;
    std::vector<uint8_t> bytes;
};

// What the header is made of; the encoder fills it in.
struct JpegHeaderInfo {
    int width = 0;
    int height = 0;
    int componentCount = 0;
    JpegComponentInfo components[4];
    const uint16_t *quantTables[4] = {};                          // natural order; null when unused
    const JpegHuffmanDefinition *huffmanTables[kHuffSlots] = {};  // null when unused
    int restartInterval = 0;
    int densityUnit = 1;
    int densityX = 0;
    int densityY = 0;
    bool writeHeaders = true;  // APP0, APPn and COM
    const std::vector<uint8_t> *comment = nullptr;
    const std::vector<JpegAppSegment> *appSegments = nullptr;
    std::vector<uint8_t> markerOrder;  // table segments: DQT, DRI, SOF, DHT codes
};

class CJpegMarkerWriter {
public:
    explicit CJpegMarkerWriter(CJpegOutput &out) : m_out(out) {}

    // SOI up to and including SOS.
    void WriteHeader(const JpegHeaderInfo &info);
    void WriteRestart(int m);
    void WriteEnd();

private:
    void Segment(uint8_t marker, size_t payload);
    void WriteJfif(const JpegHeaderInfo &info);
    void WriteTables(const JpegHeaderInfo &info, uint8_t marker);
    void WriteQuantTables(const JpegHeaderInfo &info);
    void WriteFrame(const JpegHeaderInfo &info);
    void WriteHuffmanTables(const JpegHeaderInfo &info);
    void WriteScan(const JpegHeaderInfo &info);

    CJpegOutput &m_out;
};

enum : uint8_t {
    kMarkerSoi = 0xD8,
    kMarkerEoi = 0xD9,
    kMarkerRst0 = 0xD0,
    kMarkerApp0 = 0xE0,
    kMarkerCom = 0xFE,
    kMarkerDqt = 0xDB,
    kMarkerDri = 0xDD,
    kMarkerSof0 = 0xC0,
    kMarkerDht = 0xC4,
    kMarkerSos = 0xDA,
};

}  // namespace corv
