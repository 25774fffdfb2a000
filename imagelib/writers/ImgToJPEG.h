#pragma once
// CImgToJPEG: the JPEG file writer. Rows arrive in any chunking, are
// gathered into 8-row bands and coded by a CJPEGImage as each band fills.
// One writer writes one page.
#include "ImgToFile.h"
#include "JpegOption.h"

namespace corv {

class CImgToJPEG : public CImgToFile {
public:
    CImgToJPEG() = default;
    ~CImgToJPEG() override;

    void BeginPage(const CImgParam &param) override;
    void WriteData(size_t length, const uint8_t *bytes) override;
    void EndPage() override;
    int FormatId() const override { return 2; }

    static constexpr int kBandRows = 8;

private:
    void EncodeBand(int rows);

    bool m_pageBegun = false;
};

// Lets the TIFF writer code compression-7 strips with this writer.
void RegisterJpegStripWriter();

}  // namespace corv
