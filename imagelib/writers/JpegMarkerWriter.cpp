#include "JpegMarkerWriter.h"

namespace corv {
namespace {

constexpr size_t kJfifLength = 16;
constexpr uint8_t kJfifMajor = 1;
constexpr uint8_t kJfifMinor = 2;
constexpr uint8_t kSamplePrecision = 8;

}  // namespace

void CJpegMarkerWriter::Segment(uint8_t marker, size_t payload) {
    m_out.Reserve(payload + 4);
    m_out.Marker(marker);
    m_out.Word(static_cast<uint16_t>(payload + 2));
}

void CJpegMarkerWriter::WriteJfif(const JpegHeaderInfo &info) {
    Segment(kMarkerApp0, kJfifLength - 2);
    static const uint8_t kId[5] = {'J', 'F', 'I', 'F', 0};
    m_out.Bytes(kId, sizeof kId);
    m_out.Byte(kJfifMajor);
    m_out.Byte(kJfifMinor);
    m_out.Byte(static_cast<uint8_t>(info.densityUnit));
    m_out.Word(static_cast<uint16_t>(info.densityX));
    m_out.Word(static_cast<uint16_t>(info.densityY));
    m_out.Byte(0);  // no thumbnail
    m_out.Byte(0);
}

void CJpegMarkerWriter::WriteQuantTables(const JpegHeaderInfo &info) {
    for (int t = 0; t < 4; ++t) {
        if (!info.quantTables[t])
            continue;
        Segment(kMarkerDqt, 65);
        m_out.Byte(static_cast<uint8_t>(t));  // 8-bit precision
        for (int k = 0; k < 64; ++k)
            m_out.Byte(static_cast<uint8_t>(info.quantTables[t][kJpegNaturalOrder[k]]));
    }
}

void CJpegMarkerWriter::WriteFrame(const JpegHeaderInfo &info) {
    Segment(kMarkerSof0, 6 + 3 * static_cast<size_t>(info.componentCount));
    m_out.Byte(kSamplePrecision);
    m_out.Word(static_cast<uint16_t>(info.height));
    m_out.Word(static_cast<uint16_t>(info.width));
    m_out.Byte(static_cast<uint8_t>(info.componentCount));
    for (int c = 0; c < info.componentCount; ++c) {
        const JpegComponentInfo &ci = info.components[c];
        m_out.Byte(static_cast<uint8_t>(ci.id));
        m_out.Byte(static_cast<uint8_t>(ci.h * 16 + ci.v));
        m_out.Byte(static_cast<uint8_t>(ci.quantTable));
    }
}

void CJpegMarkerWriter::WriteHuffmanTables(const JpegHeaderInfo &info) {
    for (int slot = 0; slot < kHuffSlots; ++slot) {
        const JpegHuffmanDefinition *definition = info.huffmanTables[slot];
        if (!definition)
            continue;
        const bool ac = slot >= kHuffAc0;
        Segment(kMarkerDht, 17 + static_cast<size_t>(definition->count));
        m_out.Byte(static_cast<uint8_t>((ac ? 16 : 0) + slot % 2));
        m_out.Bytes(definition->bits, 16);
        m_out.Bytes(definition->values, static_cast<size_t>(definition->count));
    }
}

void CJpegMarkerWriter::WriteTables(const JpegHeaderInfo &info, uint8_t marker) {
    switch (marker) {
        case kMarkerDqt:
            WriteQuantTables(info);
            break;
        case kMarkerDri:
            if (info.restartInterval) {
                Segment(kMarkerDri, 2);
                m_out.Word(static_cast<uint16_t>(info.restartInterval));
            }
            break;
        case kMarkerSof0:
            WriteFrame(info);
            break;
        case kMarkerDht:
            WriteHuffmanTables(info);
            break;
        default:
            break;
    }
}

void CJpegMarkerWriter::WriteScan(const JpegHeaderInfo &info) {
    Segment(kMarkerSos, 4 + 2 * static_cast<size_t>(info.componentCount));
    m_out.Byte(static_cast<uint8_t>(info.componentCount));
    for (int c = 0; c < info.componentCount; ++c) {
        const JpegComponentInfo &ci = info.components[c];
        m_out.Byte(static_cast<uint8_t>(ci.id));
        m_out.Byte(static_cast<uint8_t>(ci.dcTable * 16 + ci.acTable));
    }
    m_out.Byte(0);   // Ss
    m_out.Byte(63);  // Se
    m_out.Byte(0);   // Ah, Al
}

void CJpegMarkerWriter::WriteHeader(const JpegHeaderInfo &info) {
    m_out.Reserve(2);
    m_out.Marker(kMarkerSoi);
    if (info.writeHeaders) {
        WriteJfif(info);
        if (info.appSegments)
            for (const JpegAppSegment &app : *info.appSegments) {
                Segment(app.marker, app.bytes.size());
                m_out.Bytes(app.bytes.data(), app.bytes.size());
            }
        if (info.comment && !info.comment->empty()) {
            Segment(kMarkerCom, info.comment->size());
            m_out.Bytes(info.comment->data(), info.comment->size());
        }
    }
    for (uint8_t marker : info.markerOrder)
        WriteTables(info, marker);
    WriteScan(info);
}

void CJpegMarkerWriter::WriteRestart(int m) {
    m_out.Reserve(2);
    m_out.Marker(static_cast<uint8_t>(kMarkerRst0 + (m & 7)));
}

void CJpegMarkerWriter::WriteEnd() {
    m_out.Reserve(2);
    m_out.Marker(kMarkerEoi);
}

}  // namespace corv
