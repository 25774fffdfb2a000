// Where the utility takes the source manager from: TWAIN_32.DLL in the
// Windows directory, as every TWAIN 1.x application does.
#pragma once

#include <functional>
#include <string>

class CDsmLocation {
public:
    // Asks like GetWindowsDirectoryA: fills at most `size` bytes and returns
    // the length, or the size needed (with the zero) when it does not fit;
    // 0 on failure.
    using WindowsDirReader = std::function<unsigned(char *buffer, unsigned size)>;

    // The first request offers 246 bytes, leaving room for the file name in
    // a MAX_PATH buffer; a longer directory is asked for again in a buffer
    // made to fit, so no path is cut.
    static constexpr unsigned kFirstAsk = 246;
    static constexpr const char *kFileName = "\\TWAIN_32.DLL";

    static std::string Path(const WindowsDirReader &readDir);
};
