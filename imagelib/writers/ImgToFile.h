#pragma once
// CImgToFile: the common interface of the file writers (TIFF, JPEG, PDF).
// A writer is opened on a stream or a file name, takes pages as a
// CImgParam followed by raw rows in any chunking, and is closed.
#include "ComFile.h"
#include "ComImage.h"
#include "ImageBand.h"
#include "ImgOption.h"
#include "ImgParam.h"

#include <memory>
#include <string>

namespace corv {

class CImgToFile {
public:
    CImgToFile() = default;
    virtual ~CImgToFile();
    CImgToFile(const CImgToFile &) = delete;
    CImgToFile &operator=(const CImgToFile &) = delete;

    virtual void Open(CImgOption *option, CComFile *stream);
    virtual void Open(CImgOption *option, const char *fileName);
    virtual void BeginPage(const CImgParam &param);
    virtual void WriteData(size_t length, const uint8_t *bytes);
    virtual void EndPage();
    // Forgets the page begun last, as if it had never been begun: the pages
    // before it stay and the file can still be closed with them. Raises when
    // the format cannot take a page back (a JPEG file is one page).
    virtual void DropPage();
    virtual void Close();
    virtual int FormatId() const = 0;

    // After any failure: closes the stream and, when this writer opened the
    // file itself, deletes the half-written file. Never raises.
    void Abandon() noexcept;

    bool OwnsStream() const { return m_ownsStream; }
    bool OpenedFile() const { return m_opened; }

protected:
    int m_formatId = 0;
    CImgParam m_param;
    CImgOption *m_option = nullptr;
    CComFile *m_stream = nullptr;
    bool m_ownsStream = false;
    bool m_opened = false;
    // The JPEG path's encoder target and its 8-row band.
    std::unique_ptr<CComImage> m_image;
    std::unique_ptr<ImageBand> m_band;
    size_t m_bandFill = 0;
    int m_bandRow = 0;

private:
    void DestroyOwnedStream();
    std::unique_ptr<CComFile> m_ownedStream;
};

}  // namespace corv
