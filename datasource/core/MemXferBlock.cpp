#include "MemXferBlock.h"

namespace {

constexpr uint32_t kDefaultMinBuf = 1024;
constexpr uint32_t kDefaultMaxBuf = 0xFC00;
constexpr uint32_t kBlockLimit = 65535;

uint32_t BitsToPixels(uint64_t bytes, int bitsPerPixel) {
    return bitsPerPixel > 0 ? static_cast<uint32_t>(bytes * 8 / static_cast<uint32_t>(bitsPerPixel))
                            : 0;
}

}  // namespace

CMemXferSetup CMemXferSetup::For(uint32_t heldRow, uint32_t serverRow) {
    if (heldRow != 0)
        return {heldRow, heldRow, heldRow};
    if (serverRow == 0)
        return {kDefaultMinBuf, kDefaultMaxBuf, kDefaultMaxBuf};
    // The largest whole number of rows within 64 KB; a row longer than that
    // is still offered whole rather than a maximum below the minimum.
    const uint32_t rows = kBlockLimit / serverRow;
    const uint32_t max = rows > 0 ? serverRow * rows : serverRow;
    return {serverRow, max, max};
}

CMemXferBlock CMemXferBlock::ServerPage(uint32_t bytesPerRow, int bitsPerPixel, uint32_t columns,
                                        uint32_t bytesReceived) {
    CMemXferBlock b;
    b.bytesPerRow = bytesPerRow;
    b.columns = columns;
    if (bytesPerRow != 0) {
        b.xOffset = BitsToPixels(bytesReceived % bytesPerRow, bitsPerPixel);
        b.yOffset = bytesReceived / bytesPerRow;
    }
    return b;
}

CMemXferBlock CMemXferBlock::HeldRow(uint32_t exactRow, uint32_t columns, uint32_t rowsDelivered) {
    CMemXferBlock b;
    b.bytesPerRow = exactRow;
    b.columns = columns;
    b.yOffset = rowsDelivered;
    return b;
}

uint32_t CMemXferBlock::Fill(uint32_t room, uint32_t bytesPerRow, uint32_t bytesReceived) {
    if (bytesPerRow == 0)
        return room;
    const uint32_t inRow = bytesReceived % bytesPerRow;
    if (inRow != 0)
        return room < bytesPerRow - inRow ? room : bytesPerRow - inRow;
    return room < bytesPerRow ? room : room - room % bytesPerRow;
}

void CMemXferBlock::Delivered(uint32_t written, int bitsPerPixel) {
    bytesWritten = written;
    rows = bytesPerRow != 0
               ? static_cast<uint32_t>((uint64_t{written} + bytesPerRow - 1) / bytesPerRow)
               : 0;
    if (written < bytesPerRow) {
        bytesPerRow = written;
        columns = BitsToPixels(written, bitsPerPixel);
    }
}
