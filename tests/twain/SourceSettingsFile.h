// The source's per-user settings file, written the way the source's own
// dialogs leave it, so that the source finds the simulator and the scan
// settings of a test exactly where a user's configuration puts them.
#pragma once

#include <string>

// One scan's settings in the codes of the settings file.
struct SScanSetup {
    int paperPlace = 0;  // 0 platen, 1 feeder
    int colorMode = 0;   // 0 colour 24-bit, 1 grey 8-bit, 2 black and white 1-bit
    int resolution = 0;  // 0 = 200, 1 = 300, 2 = 400, 3 = 600 dpi
    int mediumSize = 5;  // 5 = A4 portrait, 2 = custom, 0 = detected by the scanner
    double customWidthMm = 100;
    double customHeightMm = 100;
    // The server password, which every BEGIN_JOB carries; stored scrambled.
    std::string password;
};

class CSourceSettingsFile {
public:
    // The folder name comes from the string table of the source module.
    explicit CSourceSettingsFile(const std::wstring &sourceModulePath);

    // Replaces the whole file: keys not written take the source's defaults.
    bool Write(const SScanSetup &setup, const std::string &server, int httpPort) const;
    const std::wstring &Path() const { return m_path; }

private:
    std::wstring m_path;
};
