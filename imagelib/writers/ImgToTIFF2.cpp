#include "ImgToTIFF2.h"

#include "ImageError.h"

#include <cstring>
#include <new>

namespace corv {
namespace {

// Strips of about 8 KB keep the writer's memory small on any page size.
constexpr uint32_t kStripTarget = 8192;
// A file the writer opens itself is written through this buffer: the IFD
// goes out as many small values.
constexpr long kFileBuffer = 65536;

}  // namespace

CImgToTIFF2::~CImgToTIFF2() = default;

void CImgToTIFF2::AttachFile() {
    m_file.reset(new (std::nothrow) CTIFFFileWriter);
    if (!m_file)
        RaiseImageError(kErrNoMemory);
    m_file->Attach(m_stream);
}

void CImgToTIFF2::Open(CImgOption *option, CComFile *stream) {
    CImgToFile::Open(option, stream);
    AttachFile();
}

void CImgToTIFF2::Open(CImgOption *option, const char *fileName) {
    CImgToFile::Open(option, fileName);
    // Read and write, created when missing, never truncated: the save path
    // removes an existing file before it saves.
    m_stream->Open(kOpenReadWrite);
    m_opened = true;
    m_stream->SetBuffer(kFileBuffer);
    AttachFile();
}

int CImgToTIFF2::CompressionFor(int pixelType) const {
    const auto *tiff = dynamic_cast<const CTiffOption *>(m_option);
    if (!tiff)
        return kCompressNone;
    if (tiff->StripCompression)
        return tiff->StripCompression;
    if (pixelType == kPixelBilevel) {
        if (tiff->BilevelCompression == kTiffOptionG3)
            return kCompressG3;
        if (tiff->BilevelCompression == kTiffOptionG4)
            return kCompressG4;
        return kCompressNone;
    }
    return tiff->ColorCompression == kTiffOptionJpeg ? kCompressJpeg : kCompressNone;
}

void CImgToTIFF2::BeginPage(const CImgParam &param) {
    CImgToFile::BeginPage(param);
    int kind, bits;
    size_t packed;
    const size_t width = static_cast<size_t>(param.Width > 0 ? param.Width : 0);
    switch (param.PixelType) {
        case kPixelBilevel:
            kind = kTiffBilevel, bits = 1, packed = (width + 7) / 8;
            break;
        case kPixelGray:
            kind = kTiffGray, bits = 8, packed = width;
            break;
        case kPixelRgb:
            kind = kTiffRgb, bits = 8, packed = width * 3;
            break;
        default:
            RaiseImageError(kErrTiffPixelType);
    }
    if (param.Width <= 0 || param.Height <= 0 || param.BytesPerRow < static_cast<int>(packed))
        RaiseImageError(kErrInvalidArg);
    const auto resolution = static_cast<uint32_t>(param.Resolution > 0 ? param.Resolution : 0);
    m_file->BeginPage(static_cast<uint32_t>(param.Width), static_cast<uint32_t>(param.Height), kind,
                      false, bits, CompressionFor(param.PixelType), resolution, resolution, true,
                      kStripTarget);
    m_sourceBytesPerRow = static_cast<size_t>(param.BytesPerRow);
    m_packedBytesPerRow = packed;
    m_rowFill = 0;
    m_rowBuffer.reset();
    if (m_sourceBytesPerRow != m_packedBytesPerRow) {
        m_rowBuffer.reset(new (std::nothrow) uint8_t[m_sourceBytesPerRow]);
        if (!m_rowBuffer)
            RaiseImageError(kErrNoMemory);
    }
}

void CImgToTIFF2::WriteData(size_t length, const uint8_t *bytes) {
    if (!m_rowBuffer) {
        m_file->WriteRows(bytes, length, 0);
        return;
    }
    while (length) {
        size_t n = std::min(length, m_sourceBytesPerRow - m_rowFill);
        std::memcpy(m_rowBuffer.get() + m_rowFill, bytes, n);
        m_rowFill += n;
        bytes += n;
        length -= n;
        if (m_rowFill == m_sourceBytesPerRow) {
            m_file->WriteRows(m_rowBuffer.get(), m_packedBytesPerRow, 0);
            m_rowFill = 0;
        }
    }
}

void CImgToTIFF2::EndPage() {
    m_file->EndPage();
    m_rowBuffer.reset();
}

void CImgToTIFF2::DropPage() {
    if (!m_file)
        RaiseImageError(kErrInvalidArg);
    m_file->DropPage();
    m_rowBuffer.reset();
}

void CImgToTIFF2::Close() {
    if (m_file)
        m_file->Detach();
    m_file.reset();
    CImgToFile::Close();
}

}  // namespace corv
