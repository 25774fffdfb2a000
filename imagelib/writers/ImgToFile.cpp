#include "ImgToFile.h"

#include "DiskFile.h"
#include "ImageError.h"

namespace corv {

CImgToFile::~CImgToFile() = default;

void CImgToFile::Open(CImgOption *option, CComFile *stream) {
    m_formatId = FormatId();
    m_option = option;
    m_stream = stream;
    m_ownsStream = false;
    m_opened = false;
}

void CImgToFile::Open(CImgOption *option, const char *fileName) {
    m_formatId = FormatId();
    m_option = option;
    m_ownedStream = NewDiskFile(fileName);
    m_stream = m_ownedStream.get();
    m_ownsStream = true;
    m_opened = false;
}

void CImgToFile::BeginPage(const CImgParam &param) {
    m_param = param;
}

void CImgToFile::WriteData(size_t, const uint8_t *) {}

void CImgToFile::EndPage() {}

void CImgToFile::Close() {
    m_band.reset();
    m_image.reset();
    if (m_ownsStream && m_stream)
        m_stream->CloseFile();
    DestroyOwnedStream();
}

void CImgToFile::DestroyOwnedStream() {
    if (m_ownsStream)
        m_stream = nullptr;
    m_ownedStream.reset();
}

void CImgToFile::DropPage() {
    RaiseImageError(kErrInvalidArg);
}

void CImgToFile::Abandon() noexcept {
    try {
        if (m_opened && m_stream)
            m_stream->Remove();
    } catch (...) {
        // Nothing more can be done about a file that will not go away.
    }
    m_band.reset();
    m_image.reset();
    DestroyOwnedStream();
}

}  // namespace corv
