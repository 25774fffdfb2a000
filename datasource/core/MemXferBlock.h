// The numbers of a memory transfer: the buffer sizes the source asks for,
// and the placement of each block of rows the application receives.
#pragma once

#include <cstdint>

struct CMemXferSetup {
    uint32_t minBufSize = 0;
    uint32_t maxBufSize = 0;
    uint32_t preferred = 0;

    // heldRow: the exact row size when rows come from a held prescan image
    // (one row per block), else 0. serverRow: the page's bytes per row, 0
    // while unknown.
    static CMemXferSetup For(uint32_t heldRow, uint32_t serverRow);
};

struct CMemXferBlock {
    uint32_t bytesPerRow = 0;
    uint32_t columns = 0;
    uint32_t xOffset = 0;
    uint32_t yOffset = 0;
    uint32_t rows = 0;
    uint32_t bytesWritten = 0;

    // A block of a server page, before reading: where it starts.
    static CMemXferBlock ServerPage(uint32_t bytesPerRow, int bitsPerPixel, uint32_t columns,
                                    uint32_t bytesReceived);
    // A block of a held image: one row, counted by rows delivered.
    static CMemXferBlock HeldRow(uint32_t exactRow, uint32_t columns, uint32_t rowsDelivered);

    // The bytes a block is filled with: as many whole rows as the buffer
    // holds (applications copy Rows x BytesPerRow at YOffset and ignore
    // XOffset, so a block must never end inside a row); the rest of a row
    // begun by an earlier, smaller buffer; or, for a buffer smaller than
    // one row, as much as fits.
    static uint32_t Fill(uint32_t room, uint32_t bytesPerRow, uint32_t bytesReceived);

    // After reading `written` bytes: the rows they touch, and for a piece
    // shorter than a row its own width.
    void Delivered(uint32_t written, int bitsPerPixel);
};
