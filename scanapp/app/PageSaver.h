// The transfer handler after the save dialog: every page the source has
// ready is pulled by memory transfer and streamed into the writer of the
// chosen type, named, asked about when a file exists, checked against the
// size limit, and turned into a high-compression PDF at the end when that
// type was chosen. A failure leaves complete files and complete pages
// only: the page in progress is dropped, a file without a complete page
// is deleted, and the source is never left holding pages nobody will ask
// for.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ImgFileHolder.h"
#include "SaveHost.h"
#include "SaveOptions.h"

class CPageSaver {
public:
    // Files above this size are refused.
    static constexpr uint64_t kSizeLimit = 0x7FFFFFFEull;
    // The message ids the saver shows or raises.
    enum : int {
        kMsgWriteFailed = 215,
        kMsgMonoJpeg = 220,
        kMsgMonoHighCompression = 221,
        kMsgTooBig = 222,
        kMsgColourSpace = 223,
    };

    CPageSaver(ITransferSource &source, ISaveUi &ui, ISaveFiles &files,
               IHighCompression &conversion);

    // Saves every pending page under `chosenPath` (UTF-8) as `options` says.
    void Run(const CSaveOptions &options, const std::string &chosenPath);

    // The files finished by the last run, in order.
    const std::vector<std::string> &Written() const { return m_written; }

private:
    struct SWriterFailure {
        std::string file;
    };

    void SaveAll();
    // One page into the open writer; false when the source cancelled it.
    bool TransferPage(const TW_IMAGEINFO &info, double resolution, int colour);
    // The overwrite rule; false when the file must not be written.
    bool MayWrite(const std::string &path, bool extraButtons, bool &cancel);
    void OpenWriter(const std::string &path);
    // The page in progress dropped, then the file finished with its
    // complete pages, or deleted when it has none. False when the writer
    // failed (its file is gone then too).
    bool FinishOrDiscard();
    // Gives the writer up and deletes its file.
    void DiscardWriter();
    void CheckSize(const std::string &path);
    // MSG_ENDXFER whatever it answers, and MSG_RESET for pages left over.
    void EndAndResetQuietly();
    void ResetQuietly();
    void Convert();

    ITransferSource &m_source;
    ISaveUi &m_ui;
    ISaveFiles &m_files;
    IHighCompression &m_conversion;

    std::unique_ptr<CSaveOptions> m_options;
    std::string m_output;
    std::unique_ptr<corv::CImgOption> m_record;
    std::unique_ptr<CImgFileHolder> m_writer;
    std::string m_writerFile;
    bool m_pageOpen = false;
    bool m_replaceAll = false;
    bool m_skipConversion = false;
    int m_pageCounter = 0;
    uint32_t m_bufferSize = 0;
    std::vector<uint8_t> m_buffer;
    std::vector<std::string> m_written;
};
