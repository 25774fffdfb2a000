#include "PageSaver.h"

#include <new>
#include <vector>

#include "RowFeed.h"

namespace {
// When the source names no size of its own.
constexpr TW_UINT32 kFallbackBuffer = 64 * 1024;
constexpr TW_UINT32 kDontCare = 0xFFFFFFFF;
}  // namespace

CPageSaver::CPageSaver(ITransferSource &source, ISaveUi &ui, ISaveFiles &files,
                       IHighCompression &conversion)
    : m_source(source), m_ui(ui), m_files(files), m_conversion(conversion) {}

void CPageSaver::Run(const CSaveOptions &options, const std::string &chosenPath) {
    m_options = std::make_unique<CSaveOptions>(options);
    m_output = CSaveOptions::OutputName(chosenPath, options.Extension());
    m_replaceAll = false;
    m_skipConversion = false;
    m_pageCounter = 0;
    m_written.clear();
    try {
        SaveAll();
        return;
    } catch (int id) {
        if (id == kMsgTooBig) {
            m_ui.ShowMessage(kMsgTooBig, CSaveOptions::DisplayName(m_writerFile));
            ResetQuietly();
            DiscardWriter();
            return;
        }
        if (id == kMsgMonoJpeg || id == kMsgMonoHighCompression)
            m_ui.ShowMessage(id, std::string());
        if (id == kMsgMonoHighCompression)
            m_skipConversion = true;
        m_ui.Log("transfer ended by message " + std::to_string(id));
    } catch (const SWriterFailure &failure) {
        m_ui.ShowMessage(kMsgWriteFailed, CSaveOptions::DisplayName(failure.file));
        m_ui.Log("writer failed on " + failure.file + ": " +
                 std::to_string(m_writer ? m_writer->Error() : 0));
        m_writer.reset();
        m_record.reset();
    } catch (const std::bad_alloc &) {
        m_ui.ShowFailure("out of memory");
    } catch (const std::exception &e) {
        m_ui.ShowFailure(e.what());
    }
    EndAndResetQuietly();
    if (!FinishOrDiscard())
        m_ui.ShowMessage(kMsgWriteFailed, CSaveOptions::DisplayName(m_writerFile));
    Convert();
}

void CPageSaver::SaveAll() {
    m_bufferSize = m_source.setupMemXfer();
    if (m_bufferSize == 0 || m_bufferSize == kDontCare)
        m_bufferSize = kFallbackBuffer;
    // One buffer for every block of every page, of the size the source asked for.
    m_buffer.assign(m_bufferSize, 0);
    if (!m_options->OnePagePerFile()) {
        bool cancel = false;
        if (!MayWrite(m_output, false, cancel)) {
            m_source.resetXfers();
            return;
        }
        OpenWriter(m_output);
    }
    bool more = true;
    while (more) {
        TW_IMAGEINFO info{};
        double resolution = 0;
        const int colour = m_source.getImageInfo(info, resolution);
        if (colour == 0) {
            m_ui.ShowMessage(kMsgColourSpace, std::string());
            m_source.resetXfers();
            break;
        }
        if (m_options->OnePagePerFile()) {
            const int page = m_pageCounter + 1;
            const std::string file = CSaveOptions::PageFileName(m_output, page);
            bool cancel = false;
            if (!MayWrite(file, page >= 2, cancel)) {
                if (cancel) {
                    m_source.resetXfers();
                    break;
                }
                more = !m_source.endXfer();
                ++m_pageCounter;
                continue;
            }
            OpenWriter(file);
        }
        if (!TransferPage(info, resolution, colour)) {
            // The source cancelled: the page is dropped and the job is over.
            // The source waits in its transferring state for MSG_ENDXFER
            // before it hands its dialog back.
            EndAndResetQuietly();
            break;
        }
        CheckSize(m_writerFile);
        const std::string file = m_writerFile;
        if (m_options->OnePagePerFile() && !FinishOrDiscard())
            throw SWriterFailure{m_writerFile};
        more = !m_source.endXfer();
        ++m_pageCounter;
        m_ui.Log("page " + std::to_string(m_pageCounter) + " saved in " + file +
                 (more ? ", more pages" : ", no more pages"));
    }
    if (!FinishOrDiscard())
        throw SWriterFailure{m_writerFile};
    Convert();
}

bool CPageSaver::TransferPage(const TW_IMAGEINFO &info, double resolution, int colour) {
    const uint64_t rowBytes = (uint64_t{static_cast<uint16_t>(info.BitsPerPixel)} *
                                   static_cast<uint32_t>(info.ImageWidth) +
                               7) /
                              8;
    const corv::CImgParam param(colour, static_cast<int>(info.ImageWidth),
                                static_cast<int>(info.ImageLength),
                                static_cast<int>(rowBytes > INT32_MAX ? 0 : rowBytes), resolution);
    if (!m_writer->BeginPage(param))
        throw SWriterFailure{m_writerFile};
    m_pageOpen = true;
    CRowFeed rows(*m_writer, param);
    TW_UINT16 rc = TWRC_SUCCESS;
    do {
        TW_UINT32 length = m_bufferSize;
        TW_IMAGEMEMXFER block{};
        rc = m_source.imageMemXfer(m_buffer.data(), length, block);
        if (rc == TWRC_CANCEL)
            return false;
        if (!rows.Take(block.YOffset, block.Rows, block.BytesPerRow, m_buffer.data(),
                       std::min<TW_UINT32>(length, m_bufferSize)))
            throw SWriterFailure{m_writerFile};
    } while (rc == TWRC_SUCCESS);
    if (rows.RowsWritten() < static_cast<uint32_t>(param.Height))
        m_ui.Log("page " + std::to_string(m_pageCounter + 1) + " ended after " +
                 std::to_string(rows.RowsWritten()) + " rows: completed blank");
    if (!rows.Complete() || !m_writer->EndPage())
        throw SWriterFailure{m_writerFile};
    m_pageOpen = false;
    return true;
}

bool CPageSaver::MayWrite(const std::string &path, bool extraButtons, bool &cancel) {
    if (m_replaceAll) {
        m_files.Remove(path);
        return true;
    }
    // A file that cannot be made for another reason than being there is
    // left to the writer, which says that it cannot write it.
    if (m_files.CreateNew(path) || !m_files.Exists(path))
        return true;
    switch (m_ui.AskOverwrite(CSaveOptions::DisplayName(path), extraButtons)) {
        case EOverwrite::All:
            m_replaceAll = true;
            [[fallthrough]];
        case EOverwrite::Yes:
            m_files.Remove(path);
            return true;
        case EOverwrite::Cancel:
            cancel = true;
            return false;
        case EOverwrite::No:
            break;
    }
    return false;
}

void CPageSaver::OpenWriter(const std::string &path) {
    m_record = m_options->MakeOption();
    m_writer = std::make_unique<CImgFileHolder>(m_options->MakeWriter());
    m_writerFile = path;
    m_pageOpen = false;
    if (!m_writer->Open(m_record.get(), m_files.WriterName(path).c_str()))
        throw SWriterFailure{path};
}

bool CPageSaver::FinishOrDiscard() {
    if (!m_writer)
        return true;
    bool ok = true;
    if (m_pageOpen && m_writer->Pages() > 0)
        ok = m_writer->DropPage();
    m_pageOpen = false;
    if (ok && m_writer->Pages() > 0) {
        ok = m_writer->Close();
        if (ok)
            m_written.push_back(m_writerFile);
        m_writer.reset();
        m_record.reset();
    } else {
        DiscardWriter();
    }
    return ok;
}

void CPageSaver::DiscardWriter() {
    // Nothing of the file is worth keeping, not even the empty file made
    // to claim the name.
    if (m_writer)
        m_writer->Abandon();
    m_files.Remove(m_writerFile);
    m_writer.reset();
    m_record.reset();
    m_pageOpen = false;
}

void CPageSaver::CheckSize(const std::string &path) {
    // A size that cannot be read lets the page stand; the disk says why in the log.
    const std::optional<uint64_t> size = m_files.Size(path);
    if (size && *size > kSizeLimit) {
        m_ui.Log("CScanAppDlg::checkFileSize# " + path + " too big (" + std::to_string(*size) +
                 ")");
        throw static_cast<int>(kMsgTooBig);
    }
}

void CPageSaver::ResetQuietly() {
    try {
        m_source.resetXfers();
    } catch (int) {
        // The source's own box has said what went wrong.
    }
}

void CPageSaver::EndAndResetQuietly() {
    try {
        if (!m_source.endXfer())
            m_source.resetXfers();
    } catch (int) {
        ResetQuietly();
    }
}

void CPageSaver::Convert() {
    if (m_options->Type() == CSaveOptions::kHighCompressionPdf)
        m_conversion.Convert(m_output, m_skipConversion);
}
