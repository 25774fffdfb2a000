#pragma once
// CJpegLibrary: the JPEG library's process-wide state. The colour product
// tables are built by the first user and freed by the last one; encoders
// refuse to start while nobody holds the library.
#include <cstdint>

namespace corv {

// The library's last-error codes (10000 + n) the encoder sets.
enum : int {
    kJpegErrUndefined = 10000,
    kJpegErrNotImplemented = 10001,
    kJpegErrOutOfMemory = 10003,
    kJpegErrSampling = 10010,
    kJpegErrImageSize = 10013,
    kJpegErrRegion = 10014,
    kJpegErrProcess = 10015,
    kJpegErrQuantId = 10016,
    kJpegErrQuantValue = 10017,
    kJpegErrHuffmanId = 10018,
    kJpegErrTooBig = 10021,
    kJpegErrHuffmanCodes = 10028,
    kJpegErrComponents = 10031,
    kJpegErrCommentLength = 10039,
    kJpegErrRestartTooBig = 10043,
    kJpegErrNotInitialised = 10052,
    kJpegErrAppMarker = 10058,
};

// RGB -> YCbCr weights in 16.16 fixed point.
constexpr int32_t FIX_0_29900 = 19595;  // FIX(0.29900)
constexpr int32_t FIX_0_58700 = 38470;  // FIX(0.58700)
constexpr int32_t FIX_0_11400 = 7471;   // FIX(0.11400)
constexpr int32_t FIX_0_16874 = 11059;  // FIX(0.16874)
constexpr int32_t FIX_0_33126 = 21709;  // FIX(0.33126)
constexpr int32_t FIX_0_50000 = 32768;  // FIX(0.50000)
constexpr int32_t FIX_0_41869 = 27439;  // FIX(0.41869)
constexpr int32_t FIX_0_08131 = 5329;   // FIX(0.08131)
constexpr int32_t kColourHalf = 1 << 15;
constexpr int32_t kColourCentre = 128 << 16;
// Cb and Cr round as Y does; one less than the half keeps 255.5 at 255.
constexpr int32_t kColourCentreRounded = kColourCentre + kColourHalf - 1;

// 16.16 fixed-point products of each sample value with the RGB -> YCbCr
// weights; the rounding or centring offset is folded into one table per
// output so that a conversion is three lookups and two additions.
struct JpegColourTables {
    int32_t rY[256], gY[256], bY[256];  // bY carries the rounding half
    int32_t rCb[256], gCb[256];         // bCb equals rCr
    int32_t gCr[256], bCr[256];
    int32_t plusHalfCentre[256];  // 32768 x + the rounded centre: bCb and rCr
};

// Whether the processor runs AVX2 code: the kernels built for it are picked
// once, at their first use.
bool JpegCpuHasAvx2();
// Whether it runs SSE2 code (always on 64-bit processors), and AVX.
bool JpegCpuHasSse2();
bool JpegCpuHasAvx();

class CJpegLibrary {
public:
    // Counted: every Acquire needs one Release.
    static void Acquire();
    static void Release();
    static bool Initialised();
    static const JpegColourTables &Colour();

    // Stores the code as the last error and returns false, so that library
    // functions can end with `return Fail(code);`.
    static bool Fail(int code);
};

}  // namespace corv
