// The utility's settings record: thirteen keys of the section "Settings"
// of its private profile file, read and written in a fixed order through
// the profile calls. Key names come from the string table at every use.
#pragma once

#include <windows.h>

#include <string>

class CScanSettings {
public:
    std::string Path;
    int Type = 0;
    int JpegQuality = 1;
    int BwCompression = 0;
    int GrayCompression = 0;
    int PdfJpegQuality = 1;
    int Encode = 0;
    int Compression = 0;
    int Startup = 1;
    int AskCompression = 0;
    std::string CurrentDs;
    int Unit = 1;
    int Correction = 0;

    // Every key from `file`, the table's default for each one missing.
    void Read(HINSTANCE module, const std::string &file);
    // The profile file when it exists, else the defaults file.
    void Load(HINSTANCE module, const std::string &profile, const std::string &defaults);
    // Every key to `file`, in table order; false when a write failed.
    bool Write(HINSTANCE module, const std::string &file) const;

private:
    struct SKey;
    static const SKey kKeys[];
};
