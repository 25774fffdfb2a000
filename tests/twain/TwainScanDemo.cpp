// The main job shown end to end until the scan utility takes it over: a TWAIN
// application opens the installed source through the system's source
// manager, presses Scan in the source's dialog and receives every sheet of
// the feeder by file transfer, one BMP file per page.
//
//   twain_scan_demo OUTPUT_FOLDER PORT [SHEETS_EXPECTED]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "SourceSettingsFile.h"
#include "TwainTestClient.h"

namespace {

int Fail(const char *what) {
    std::fprintf(stderr, "twain_scan_demo: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3)
        return Fail("usage: twain_scan_demo OUTPUT_FOLDER PORT [SHEETS_EXPECTED]");
    std::string folder = argv[1];
    for (char &c : folder)
        c = c == '/' ? '\\' : c;
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    const int port = std::atoi(argv[2]);
    const int expected = argc > 3 ? std::atoi(argv[3]) : 0;
    if (port <= 0)
        return Fail("the port must be a number");
    if (!CTwainTestClient::InstallSource())
        return Fail("corvsrc.ds was not found beside the program");

    // The user's configuration: the server, colour at 300 dpi, A4 from the feeder.
    SScanSetup setup;
    setup.paperPlace = 1;
    setup.colorMode = 0;
    setup.resolution = 1;
    const CSourceSettingsFile settings(CTwainTestClient::InstalledSourcePath());
    if (!settings.Write(setup, "127.0.0.1", port))
        return Fail("the source's settings file could not be written");

    CTwainTestClient client;
    if (!client.OpenManager() || !client.OpenSource())
        return Fail("the source manager did not open the source");
    SAcquireOptions options;
    options.mech = EXferMech::File;
    options.filePrefix = folder + "page";
    const SAcquisition scan = client.Acquire(options);
    int done = 0;
    for (size_t i = 0; i < scan.pages.size(); ++i) {
        const STransferredPage &p = scan.pages[i];
        const bool ok = p.rc == TWRC_XFERDONE;
        done += ok ? 1 : 0;
        std::printf("page %zu: %ld x %ld, %d bits, %s -> %s\n", i + 1,
                    static_cast<long>(p.info.ImageWidth), static_cast<long>(p.info.ImageLength),
                    p.info.BitsPerPixel, ok ? "transferred" : "FAILED", p.fileName.c_str());
    }
    const TW_UINT16 conditionCode = scan.xferReady ? 0 : client.ConditionCode();
    for (const std::wstring &box : client.Operator().MessageBoxTexts())
        std::printf("message box: %s\n", Utf8(box).c_str());
    client.Disable();
    client.CloseSource();
    client.CloseManager();
    if (!scan.xferReady) {
        std::fprintf(stderr,
                     "twain_scan_demo: enable answered %u (condition %u), dialog %s, close "
                     "request %s\n",
                     scan.enableRc, conditionCode, scan.dialogFound ? "found" : "not found",
                     scan.closeRequested ? "came" : "did not come");
        return Fail("the scan did not start");
    }
    if (done == 0 || done != static_cast<int>(scan.pages.size()) || (expected && done != expected))
        return Fail("not every page arrived");
    std::printf("%d pages scanned\n", done);
    return 0;
}
