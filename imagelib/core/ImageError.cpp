#include "ImageError.h"

#include <iterator>

namespace corv {
namespace {

// The message texts are kept exactly as the library has always carried them,
// spelling slips included: they are data that older tools compare against.
const char *const kJpegMessages[] = {
    "undefined error",
    "feature not implemented yet",
    "illega image format",
    "out of memory",
    "no read buffer",
    "cannot open file",
    "cannot seek",
    "cannot flush",
    "cannot read",
    "cannot write",
    "invalid sampling factor",
    "invalid image format",
    "invalid stream",
    "invalid image size",
    "invalid regio",
    "invalid process",
    "invalied quantization table id",
    "invalied quantization value",
    "invalid huffman table id",
    "invalid predictor",
    "invalid color space",
    "image size is too big to compress",
    "not jpeg file",
    "arithmetic coding isn't supported",
    "corrupt jpeg file",
    "unsupported JFIF version",
    "unsupported frame detected",
    "unsupported quantization preccision",
    "too many huffman codes",
    "unsupported sample precision",
    "too many components",
    "unsupported number of componets",
    "invalid huffman code",
    "unknown jpeg format",
    "RSTm doesn't exist",
    "bad magic number",
    "corrupt ppm file",
    "unsupported ppm sample precision",
    "invalid data format",
    "too long comment",
    "invalid combination of process & file format",
    "cannot narrow",
    "invalid restart interval",
    "too big restart interval",
    "too short file size",
    "Y field of 0 value is not supported",
    "DNL marker is unsupported",
    "corrupt tiff file",
    "not jtiff (no JPEGInterchangeFormat tag)",
    "tiff of multi strips is unsupported",
    "tiff write error",
    "no jpeg table data",
    "jpeg library has not initialized yet",
    "cannot convert to JFIF",
    "unexpected EOF",
    "color number unsupported",
    "compresstion unsupported",
    "not BMP/DIB format",
    "out of range APP Maker",
};

const char *const kTiffMessages[] = {
    "undefined error",      "feature not implemented yet",
    "illega image format",  "out of memory",
    "no read buffer",       "cannot open file",
    "cannot seek",          "cannot flush",
    "cannot read",          "cannot write",
    "invalid image format", "invalid stream",
    "invalid image size",   "invalid regio",
    "invalid color space",  "not lzw file",
    "corrupt lzw file",     "unsupported number of componets",
    "bad magic number",     "invalid combination of process & file format",
    "corrupt tiff file",    "tiff of multi tile is unsupported",
    "tiff write error",     "lzw library has not initialized yet",
    "unexpected EOF",       "file has already compressed",
};

int g_jpegLastError = kJpegErrorBase;
int g_tiffLastError = kTiffErrorBase;
JpegFatalHook g_jpegFatalHook = nullptr;

template <size_t N>
const char *Lookup(const char *const (&table)[N], int base, int code) {
    int n = code - base;
    return n >= 0 && n < static_cast<int>(N) ? table[n] : nullptr;
}

}  // namespace

const char *CImageError::what() const noexcept {
    switch (m_code) {
        case kErrNoMemory:
            return "image library: out of memory";
        case kErrNotOpen:
            return "image library: stream is not open";
        case kErrSeekOutside:
            return "image library: seek outside the memory file";
        case kErrInvalidArg:
            return "image library: invalid open mode or seek origin";
        case kErrUnknownFormat:
            return "image library: unknown format kind";
        case kErrUnknownColourKind:
            return "image library: unknown colour kind";
        case kErrJpegImage:
            return "image library: JPEG image failure";
        case kErrTiffPixelType:
            return "image library: unsupported pixel type for TIFF";
        case kErrLzwCoder:
            return "image library: LZW coder could not be created";
        case kErrTiffWrite:
            return "image library: TIFF strip could not be coded";
        case kErrNotImplemented:
            return "image library: JPEG compression is not available in this build";
        case kErrTiffBits:
            return "image library: TIFF sample layout has no colour kind";
        case kErrTiffCompression:
            return "image library: TIFF compression is not supported";
        case kErrBmpBitCount:
            return "image library: BMP bit count is not supported";
        default:
            if (const char *m = JpegErrorMessage(static_cast<int>(m_code)))
                return m;
            if (const char *m = TiffErrorMessage(static_cast<int>(m_code)))
                return m;
            return "image library: file error";
    }
}

void RaiseImageError(uint32_t code) {
    throw CImageError(code);
}

int JpegLastError() {
    return g_jpegLastError;
}
void SetJpegLastError(int code) {
    g_jpegLastError = code;
    if (g_jpegFatalHook)
        g_jpegFatalHook(code);
}
int TiffLastError() {
    return g_tiffLastError;
}
void SetTiffLastError(int code) {
    g_tiffLastError = code;
}
void SetJpegFatalHook(JpegFatalHook hook) {
    g_jpegFatalHook = hook;
}

const char *JpegErrorMessage(int code) {
    return Lookup(kJpegMessages, kJpegErrorBase, code);
}
const char *TiffErrorMessage(int code) {
    return Lookup(kTiffMessages, kTiffErrorBase, code);
}

}  // namespace corv
