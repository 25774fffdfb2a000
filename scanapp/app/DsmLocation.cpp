#include "DsmLocation.h"

#include <cstring>
#include <vector>

std::string CDsmLocation::Path(const WindowsDirReader &readDir) {
    std::vector<char> buffer(260, '\0');
    unsigned n = readDir(buffer.data(), kFirstAsk);
    if (n >= kFirstAsk) {
        // n is the size needed; the file name's 13 bytes and the zero fit
        // behind it.
        buffer.assign(n + std::strlen(kFileName) + 1, '\0');
        const unsigned again = readDir(buffer.data(), n + 1);
        n = again <= n ? again : 0;
    }
    return std::string(buffer.data(), n) + kFileName;
}
