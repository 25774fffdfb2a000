// Where the rows of a transferred page go. The transfer loop hands every
// memory block on as it arrives, top row first, so that a file writer can
// take the page without it ever being held whole.
#pragma once

#include <cstdint>

#include "twain/twain.h"

class IPageSink {
public:
    virtual ~IPageSink() = default;
    // A page starts, described as the source announced it.
    virtual void BeginPage(const TW_IMAGEINFO &info) = 0;
    // `rows` rows of `bytesPerRow` bytes each, the first of them row `firstRow`.
    virtual void TakeRows(uint32_t firstRow, uint32_t rows, uint32_t bytesPerRow,
                          const uint8_t *data) = 0;
    // The source said the page is complete (TWRC_XFERDONE).
    virtual void EndPage() = 0;
    // The page ended without being complete (cancelled or failed).
    virtual void AbandonPage() = 0;
};
