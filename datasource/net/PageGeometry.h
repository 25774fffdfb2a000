// Geometry of a page as the server sends it, and the sizes the job derives
// from it. The server's numbers are untrusted: a page that cannot exist
// (no pixels, rows too short for their pixels, more than 2 GiB of data) is
// rejected here, so no caller ever sizes a buffer or a request from it.
#pragma once

#include <cstdint>
#include <string>

struct CPageGeometry {
    int32_t bytesPerRow = 0;
    int32_t pageBytes = 0;
};

// Largest side the client accepts, in pixels (far beyond any paper size
// at the highest resolution).
constexpr int32_t kMaxPagePixels = 200000;

// Bits per pixel of a job colour mode: 0 full colour, 1 grey, 2 bilevel.
int BitsPerPixelOfColourMode(int colourMode);

// rowSize is Y_ROWBYTES (0 = unknown). False when the page is impossible.
bool ComputePageGeometry(int colourMode, int32_t pixelWidth, int32_t pixelHeight, int32_t rowSize,
                         CPageGeometry &out);

// How many bytes one read of the job asks the streaming reader for.
// bufferSize is what the caller can take; the result never exceeds it.
uint32_t ReadChunkSize(uint32_t bufferSize, const CPageGeometry &page, uint32_t received);

// The byte counter of the progress dialog: "12.3M", "1.05M", "512k" or "".
std::wstring FormatProgressBytes(uint32_t bytes);

// A known pixel size when the resolution changes: the smallest integer not
// below value * newDpi / oldDpi + 0.5 (0 stays 0).
int32_t RescaleKnownPixels(int32_t value, int32_t oldDpi, int32_t newDpi);
