// Makes the benchmark's scanned-looking page from a rendered document page:
//   mrc_testpage RENDER.ppm OUT.tif OUT.ppm [DPI]
// OUT.tif is what the scan utility would hand the component; OUT.ppm the
// same page for the other coders.
#include "TestPage.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    using namespace corv::mrc::test;
    if (argc < 4) {
        std::fprintf(stderr, "usage: mrc_testpage RENDER.ppm OUT.tif OUT.ppm [DPI]\n");
        return 2;
    }
    Raster rendered;
    if (!LoadPnm(argv[1], rendered)) {
        std::fprintf(stderr, "mrc_testpage: cannot read %s\n", argv[1]);
        return 1;
    }
    const double dpi = argc > 4 ? std::atof(argv[4]) : 300.0;
    const ScannedPage page = MakeScannedPage(rendered, 7);
    WriteTiff(argv[2], {page.page}, dpi);
    if (!SavePnm(argv[3], page.page)) {
        std::fprintf(stderr, "mrc_testpage: cannot write %s\n", argv[3]);
        return 1;
    }
    std::printf("photo %d %d %d %d\n", page.photo.x0, page.photo.y0, page.photo.x1, page.photo.y1);
    return 0;
}
