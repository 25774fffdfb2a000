#include "MrcDocument.h"

#include "DiskFile.h"
#include "FileMove.h"
#include "ImageError.h"
#include "PageConverter.h"
#include "TiffReader.h"

#include <new>

namespace corv::mrc {
namespace {

// A file name the scan utility never makes itself, in the output's folder so
// that the final rename stays on one volume.
constexpr char kTempSuffix[] = ".mrc-part";

MrcResult FromImageError(const CImageError &e) {
    return e.Code() == kErrNoMemory ? kMrcNoMemory : kMrcOutputFailed;
}

}  // namespace

CMrcDocument::~CMrcDocument() {
    Abandon();
}

void CMrcDocument::Abandon() noexcept {
    m_writer.reset();
    if (m_file) {
        try {
            m_file->CloseFile();
        } catch (...) {
        }
        m_file.reset();
        RemoveDiskFile(m_tempPath.c_str());
    }
    m_tempPath.clear();
    m_outputPath.clear();
}

MrcResult CMrcDocument::Fail(MrcResult code) noexcept {
    Abandon();
    return code;
}

MrcResult CMrcDocument::Init(const char *outputPath) {
    Abandon();
    if (!outputPath || !*outputPath)
        return kMrcBadArgument;
    try {
        m_outputPath = outputPath;
        m_tempPath = m_outputPath + kTempSuffix;
        m_file = NewDiskFile(m_tempPath.c_str());
        m_file->Create();
        m_file->Open(kOpenWrite);
        m_file->SetBuffer(1 << 16);
        m_writer = std::make_unique<CMrcPdfWriter>(*m_file);
        m_writer->Begin();
        return kMrcOk;
    } catch (const CImageError &e) {
        return Fail(FromImageError(e));
    } catch (const std::bad_alloc &) {
        return Fail(kMrcNoMemory);
    } catch (...) {
        return Fail(kMrcOutputFailed);
    }
}

void CMrcDocument::Convert(const char *tiffPath) {
    std::unique_ptr<CComFile> input = NewDiskFile(tiffPath);
    try {
        if (!input->Exists())
            throw CMrcError(kMrcInputMissing);
        input->OpenExisting(kOpenRead);
    } catch (const CImageError &) {
        throw CMrcError(kMrcInputMissing);
    }
    input->SetBuffer(1 << 16);
    CTiffReader reader(*input);
    TiffPage page;
    int pages = 0;
    CPageConverter converter(reader);
    while (reader.NextPage(page)) {
        m_writer->AddPage(converter.Convert(page), page.xDpi, page.yDpi);
        ++pages;
    }
    if (pages == 0)
        throw CMrcError(kMrcNoPages);
}

MrcResult CMrcDocument::AddTiff(const char *tiffPath) {
    if (!m_writer)
        return kMrcNotStarted;
    if (!tiffPath || !*tiffPath)
        return Fail(kMrcBadArgument);
    try {
        Convert(tiffPath);
        return kMrcOk;
    } catch (const CMrcError &e) {
        return Fail(e.Code());
    } catch (const CImageError &e) {
        return Fail(FromImageError(e));
    } catch (const std::bad_alloc &) {
        return Fail(kMrcNoMemory);
    } catch (...) {
        return Fail(kMrcInternal);
    }
}

MrcResult CMrcDocument::End() {
    if (!m_writer)
        return kMrcNotStarted;
    try {
        m_writer->Finish();
        m_file->Flush();
        m_file->CloseFile();
        m_writer.reset();
        m_file.reset();
        if (!MoveReplacing(m_tempPath.c_str(), m_outputPath.c_str())) {
            RemoveDiskFile(m_tempPath.c_str());
            m_tempPath.clear();
            return kMrcOutputFailed;
        }
        m_tempPath.clear();
        m_outputPath.clear();
        return kMrcOk;
    } catch (const CMrcError &e) {
        return Fail(e.Code());
    } catch (const CImageError &e) {
        return Fail(FromImageError(e));
    } catch (...) {
        return Fail(kMrcOutputFailed);
    }
}

}  // namespace corv::mrc
