#pragma once
// Error codes of the image library. Streams and writers raise a CImageError
// carrying a 32-bit code; the JPEG and TIFF/LZW libraries also keep a plain
// last-error value that their functions set before returning failure.
#include <cstdint>
#include <exception>

namespace corv {

// Raised codes.
constexpr uint32_t kErrNoMemory = 8;
constexpr uint32_t kErrNotOpen = 2;
constexpr uint32_t kErrSeekOutside = 38;
constexpr uint32_t kErrInvalidArg = 87;
constexpr uint32_t kErrUnknownFormat = static_cast<uint32_t>(-3499);
constexpr uint32_t kErrUnknownColourKind = static_cast<uint32_t>(-3500);
constexpr uint32_t kErrJpegImage = static_cast<uint32_t>(-3520);
constexpr uint32_t kErrTiffPixelType = 20000;
constexpr uint32_t kErrLzwCoder = 20001;
// A fax encoder ran out of its code window ("tiff write error").
constexpr uint32_t kErrTiffWrite = 20022;
// The JPEG library's "feature not implemented yet": raised for JPEG strips
// while no JPEG writer is linked in.
constexpr uint32_t kErrNotImplemented = 10001;

// Readers: a TIFF whose bits or photometric interpretation the library has
// no colour kind for; a TIFF compression it cannot decode; a BMP bit count
// without a colour kind.
constexpr uint32_t kErrTiffBits = static_cast<uint32_t>(-3506);
constexpr uint32_t kErrTiffCompression = static_cast<uint32_t>(-3507);
constexpr uint32_t kErrBmpBitCount = static_cast<uint32_t>(-3540);
// The libraries' codes the readers raise for broken files.
constexpr uint32_t kErrJpegImageSize = 10013;
constexpr uint32_t kErrJpegNotJpeg = 10022;
constexpr uint32_t kErrJpegArithmetic = 10023;
constexpr uint32_t kErrJpegCorrupt = 10024;
constexpr uint32_t kErrJpegFrame = 10026;
constexpr uint32_t kErrJpegPrecision = 10029;
constexpr uint32_t kErrJpegComponents = 10031;
constexpr uint32_t kErrJpegHuffmanCode = 10032;
constexpr uint32_t kErrJpegZeroHeight = 10045;
constexpr uint32_t kErrJpegDnl = 10046;
constexpr uint32_t kErrJpegEof = 10054;
constexpr uint32_t kErrNotBmp = 10057;
constexpr uint32_t kErrTiffImageSize = 20012;
constexpr uint32_t kErrLzwCorrupt = 20016;
constexpr uint32_t kErrTiffMagic = 20018;
constexpr uint32_t kErrTiffCorrupt = 20020;
constexpr uint32_t kErrTiffEof = 20024;

// Library last-error bases.
constexpr int kJpegErrorBase = 10000;
constexpr int kTiffErrorBase = 20000;
constexpr int kTiffErrOutOfMemory = 20003;

class CImageError : public std::exception {
public:
    explicit CImageError(uint32_t code) : m_code(code) {}
    uint32_t Code() const { return m_code; }
    const char *what() const noexcept override;

private:
    uint32_t m_code;
};

[[noreturn]] void RaiseImageError(uint32_t code);

// The two libraries' last-error values (process globals, one thread).
int JpegLastError();
void SetJpegLastError(int code);
int TiffLastError();
void SetTiffLastError(int code);

// Called after a JPEG error is stored; does nothing unless replaced.
using JpegFatalHook = void (*)(int code);
void SetJpegFatalHook(JpegFatalHook hook);

// Message text of a library code (10000 + n, 20000 + n), or nullptr.
const char *JpegErrorMessage(int code);
const char *TiffErrorMessage(int code);

}  // namespace corv
