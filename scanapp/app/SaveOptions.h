// One save's choices: the output type picked in the save dialog and the
// option values it carries for this save only. From them come the file
// names, the option word and the writer with its option record.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ImgOption.h"
#include "ImgToFile.h"

// The save dialog's copies of the settings.
struct SSaveValues {
    int JpegQuality = 1;
    int BwCompression = 0;
    int GrayCompression = 0;
    int Encode = 0;
    int PdfJpegQuality = 1;
    int Compression = 0;
    int Correction = 0;
    int AskCompression = 0;
};

class CSaveOptions {
public:
    // Output types: the save dialog's 1-based filter index.
    enum : int { kTiff = 1, kJpeg = 2, kMultiTiff = 3, kPdf = 4, kHighCompressionPdf = 5 };

    CSaveOptions(int type, const SSaveValues &values);

    int Type() const { return m_type; }
    uint32_t Word() const { return m_word; }
    // Types 1 and 2 make one file a page.
    bool OnePagePerFile() const { return m_type == kTiff || m_type == kJpeg; }
    // The type's extension, with its dot.
    const char *Extension() const;

    // A fresh option record and writer for one file.
    std::unique_ptr<corv::CImgOption> MakeOption() const;
    std::unique_ptr<corv::CImgToFile> MakeWriter() const;

    static bool ValidType(int type) { return type >= kTiff && type <= kHighCompressionPdf; }
    static uint32_t OptionWord(int type, const SSaveValues &values);
    // The chosen path with the type's extension appended unless it already
    // ends with it (any case) and holds it as typed.
    static std::string OutputName(const std::string &chosen, const char *extension);
    // Page n of a one-page-per-file series: n from 2 on goes before the extension.
    static std::string PageFileName(const std::string &output, int page);
    // The name the user is shown: the path's last component, either slash.
    static std::string DisplayName(const std::string &path);
    // Drive and folder of a path, ending with its separator.
    static std::string Folder(const std::string &path);

private:
    int m_type;
    uint32_t m_word;
};
