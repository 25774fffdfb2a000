// A page as the simulator sent it (rows top first, colour as R G B, black
// and white with 1 = white, each row padded to the server's stride) and
// what every transfer mechanism must make of it. Each check returns an
// empty text when the delivery is right, else what is wrong first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SimJobState.h"
#include "TwainTestClient.h"

class CServerPage {
public:
    CServerPage(std::string bytes, const SSimPageRecord &record);
    // The bytes and geometry of a page of the simulator's job.
    static CServerPage Fetch(int session, const SSimPageRecord &record);

    const std::string &Bytes() const { return m_bytes; }
    const SSimPageRecord &Record() const { return m_record; }
    int Bits() const;
    uint32_t PixelBytesPerRow() const;
    uint32_t DibStride() const;
    uint32_t PaletteEntries() const;

    // The image information the source must give for this page.
    std::string CheckImageInfo(const TW_IMAGEINFO &info) const;
    // Memory transfer: rows in server order; each block as full as the
    // application's buffer allows in whole rows (a buffer below one row:
    // pieces that never cross a row's end); the blocks' fields for the
    // bytes they carried.
    std::string CheckMemoryBlocks(const std::vector<SMemBlock> &blocks, uint32_t bufferSize) const;
    std::string CheckMemoryBytes(const std::string &data) const;
    // Native transfer: a packed DIB (info header, palette, rows bottom-up).
    std::string CheckNativeDib(const std::string &dib) const;
    // File transfer: a BMP file.
    std::string CheckBmpFile(const std::string &file) const;

    // The page as PPM, PGM or PBM, for a decoder we did not write.
    std::string ToPnm() const;

private:
    std::string CheckDib(const std::string &data, size_t infoAt, bool roundedPelsPerMetre) const;
    std::string CheckPalette(const std::string &data, size_t at) const;
    std::string CheckRows(const std::string &data, size_t bitsAt) const;

    std::string m_bytes;
    SSimPageRecord m_record;
};

// Where two byte strings first differ, for failure messages that do not
// print megabytes; empty when they are equal.
std::string FirstDifference(const std::string &got, const std::string &expected);
