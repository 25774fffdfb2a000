#pragma once
// CImgToTIFF2: the TIFF front end. Maps each page to the file writer's
// arguments and passes rows through, dropping the padding at the end of
// source rows that are longer than the packed row.
#include "ImgToFile.h"
#include "TIFFFileWriter.h"

namespace corv {

class CImgToTIFF2 : public CImgToFile {
public:
    CImgToTIFF2() = default;
    ~CImgToTIFF2() override;

    void Open(CImgOption *option, CComFile *stream) override;
    void Open(CImgOption *option, const char *fileName) override;
    void BeginPage(const CImgParam &param) override;
    void WriteData(size_t length, const uint8_t *bytes) override;
    void EndPage() override;
    void DropPage() override;
    void Close() override;
    int FormatId() const override { return 1; }

    const CTIFFFileWriter *File() const { return m_file.get(); }

private:
    void AttachFile();
    int CompressionFor(int pixelType) const;

    std::unique_ptr<CTIFFFileWriter> m_file;
    std::unique_ptr<uint8_t[]> m_rowBuffer;
    size_t m_rowFill = 0;
    size_t m_sourceBytesPerRow = 0;
    size_t m_packedBytesPerRow = 0;
};

}  // namespace corv
