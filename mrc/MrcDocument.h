#pragma once
// CMrcDocument: one high-compression PDF from Init to End. The PDF is
// written under a temporary name beside the output and renamed only when
// End succeeds; any failure removes it, so a caller that gives up after a
// failed call (it calls nothing more) finds no file at the output path.
#include "ComFile.h"
#include "MrcError.h"
#include "MrcPdfWriter.h"

#include <memory>
#include <string>

namespace corv::mrc {

class CMrcDocument {
public:
    CMrcDocument() = default;
    ~CMrcDocument();

    // A document still open from an earlier, failed run is dropped first.
    MrcResult Init(const char *outputPath);
    MrcResult AddTiff(const char *tiffPath);
    MrcResult End();

    bool IsOpen() const { return m_writer != nullptr; }
    const std::string &TempPath() const { return m_tempPath; }

private:
    void Convert(const char *tiffPath);
    void Abandon() noexcept;
    MrcResult Fail(MrcResult code) noexcept;

    std::string m_outputPath;
    std::string m_tempPath;
    std::unique_ptr<CComFile> m_file;
    std::unique_ptr<CMrcPdfWriter> m_writer;
};

}  // namespace corv::mrc
