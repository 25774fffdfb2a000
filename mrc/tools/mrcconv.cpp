// Runs the component's three entry points on TIFF files as the scan
// utility calls them:  mrcconv OUT.pdf IN.tif [IN.tif ...]
#include "cvpsmrc.h"

#include <cstdio>

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mrcconv OUT.pdf IN.tif [IN.tif ...]\n");
        return 2;
    }
    const char *empty = "";
    const SInitOptions options{1, empty, empty, empty, empty, -1, -1};
    const SFolderOptions folder{2, "."};
    const int32_t six[6] = {0, -1, -1, -1, -1, -1};
    int32_t rc = CVMRCPDFInit(argv[1], 1, &options, &folder, 0);
    for (int i = 2; rc == 0 && i < argc; ++i)
        rc = CVMRCPDFFile(argv[i], 0, six, 0);
    if (rc == 0)
        rc = CVMRCPDFEnd();
    if (rc != 0)
        std::fprintf(stderr, "mrcconv: failed with %d\n", int(rc));
    return rc == 0 ? 0 : 1;
}
