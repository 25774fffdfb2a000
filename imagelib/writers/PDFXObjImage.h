#pragma once
// CPDFXObjImage: the image of one page as a PDF image XObject, written while
// its rows arrive. Rows pass through a chain of coders (row gathering, then
// CCITT Group 3/4 or JPEG, then ASCII85) into the object's stream.
#include "ASCII85Encoder.h"
#include "ComFile.h"
#include "EncoderG3.h"
#include "ImgParam.h"
#include "ImgToJPEG.h"
#include "JpegOption.h"
#include "PDFImagePipe.h"
#include "PDFXRefPart.h"
#include "PdfOption.h"

#include <memory>
#include <string>

namespace corv {

class CPDFXObjImage : public DObject {
public:
    // `param` must describe a valid page (the writer checks it first).
    CPDFXObjImage(CComFile *stream, const CImgParam &param, const CPdfOption &option, int number,
                  int lengthNumber);
    ~CPDFXObjImage() override;

    // The dictionary up to "stream\n"; the coders are ready afterwards.
    void WriteHead(CPDFXRefPart &xref);
    void Write(size_t length, const uint8_t *bytes);
    // Flushes the coders and writes the end of the stream and its length
    // object.
    void End(CPDFXRefPart &xref);

    // The bytes of one packed row of `param`'s pixels.
    static size_t PackedRowBytes(const CImgParam &param);
    // The /Filter and /DecodeParms lines for a page of `param` under
    // `option` (empty for raw samples).
    static std::string FilterLines(const CImgParam &param, const CPdfOption &option);

    static constexpr const char *kResourceName = "/Im0";

private:
    enum class Coder { Raw, G3, G4, Jpeg };
    static Coder CoderFor(const CImgParam &param, const CPdfOption &option);

    void StartCoders();
    void PassRow(const uint8_t *row, size_t length);
    void Emit(const uint8_t *bytes, size_t length);

    CComFile *m_stream;
    CImgParam m_param;
    CPdfOption m_option;
    int m_number;
    int m_lengthNumber;
    CJpegOption m_jpegOption;
    Coder m_coder;
    int64_t m_dataStart = 0;
    size_t m_sourceRowBytes;
    size_t m_packedRowBytes;

    std::unique_ptr<CASCII85Encoder> m_ascii85;
    std::unique_ptr<CPDFImagePipe> m_pipe;
    std::unique_ptr<CImgToJPEG> m_jpeg;
    std::unique_ptr<DEncoderG3> m_fax;
    std::unique_ptr<uint8_t[]> m_codeBuffer;
    size_t m_codeCapacity = 0;
    std::unique_ptr<uint8_t[]> m_rowBuffer;  // only while rows are gathered
    size_t m_rowFill = 0;
};

}  // namespace corv
