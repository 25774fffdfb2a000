#include "PageGeometry.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <limits>

int BitsPerPixelOfColourMode(int colourMode) {
    switch (colourMode) {
        case 1:
            return 8;
        case 2:
            return 1;
        default:
            return 24;
    }
}

bool ComputePageGeometry(int colourMode, int32_t pixelWidth, int32_t pixelHeight, int32_t rowSize,
                         CPageGeometry &out) {
    out = CPageGeometry{};
    if (pixelWidth <= 0 || pixelHeight <= 0 || pixelWidth > kMaxPagePixels ||
        pixelHeight > kMaxPagePixels || rowSize < 0)
        return false;
    const int64_t bpp = BitsPerPixelOfColourMode(colourMode);
    const int64_t minRow = (bpp * pixelWidth + 7) / 8;
    int64_t perRow;
    if (rowSize != 0)
        perRow = rowSize / pixelHeight;
    else
        perRow = ((bpp * pixelWidth + 31) / 8) & ~int64_t{3};
    const int64_t total = perRow * pixelHeight;
    if (perRow < minRow || total > std::numeric_limits<int32_t>::max())
        return false;
    out.bytesPerRow = static_cast<int32_t>(perRow);
    out.pageBytes = static_cast<int32_t>(total);
    return true;
}

uint32_t ReadChunkSize(uint32_t bufferSize, const CPageGeometry &page, uint32_t received) {
    // Reads go in multiples of 4 bytes where the buffer allows it; rounding
    // up past the caller's buffer would write beyond it.
    uint32_t chunk = bufferSize;
    const uint32_t pageBytes = static_cast<uint32_t>(page.pageBytes);
    const uint32_t left = received < pageBytes ? pageBytes - received : 0;
    if (chunk > left)
        chunk = left;
    const uint32_t row = static_cast<uint32_t>(page.bytesPerRow);
    if (row == 0)
        return chunk;
    // A piece never crosses into the next row: a memory transfer describes
    // each block by one row's offset and width, so a row begun by a small
    // buffer is finished before the next starts.
    const uint32_t inRow = received % row;
    if (inRow != 0 && chunk > row - inRow)
        chunk = row - inRow;
    else if (chunk > row)
        chunk -= chunk % row;
    return chunk;
}

std::wstring FormatProgressBytes(uint32_t bytes) {
    const uint32_t mb = 0x100000;
    wchar_t buf[32];
    if (bytes >= 0xa00000u)
        std::swprintf(buf, 32, L"%u.%uM", bytes / mb, (bytes % mb) * 10u / mb);
    else if (bytes >= mb)
        std::swprintf(buf, 32, L"%u.%.2uM", bytes / mb, (bytes % mb) * 100u / mb);
    else if (bytes > 0)
        std::swprintf(buf, 32, L"%uk", bytes / 1024u);
    else
        buf[0] = L'\0';
    return buf;
}

int32_t RescaleKnownPixels(int32_t value, int32_t oldDpi, int32_t newDpi) {
    if (value == 0 || oldDpi <= 0)
        return value;
    double scaled = std::ceil(static_cast<double>(value) * newDpi / oldDpi + 0.5);
    if (scaled > kMaxPagePixels)
        return kMaxPagePixels;
    return static_cast<int32_t>(scaled);
}
