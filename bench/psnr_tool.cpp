// PSNR in dB of two binary PNM files (P5 or P6) of the same size and kind,
// for the benchmarks: ImageMagick's compare gives up on 600 dpi pages.
// usage: psnr_tool A.pnm B.pnm
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {
bool ReadPnm(const char *path, std::string &header, std::vector<unsigned char> &pixels) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxval = 0;
    if (!(in >> magic >> width >> height >> maxval) || (magic != "P5" && magic != "P6"))
        return false;
    in.get();
    std::ostringstream h;
    h << magic << ' ' << width << ' ' << height;
    header = h.str();
    pixels.assign(std::istreambuf_iterator<char>(in), {});
    return pixels.size() == size_t(width) * height * (magic == "P6" ? 3 : 1);
}
}  // namespace

int main(int argc, char **argv) {
    std::string ha, hb;
    std::vector<unsigned char> a, b;
    if (argc != 3 || !ReadPnm(argv[1], ha, a) || !ReadPnm(argv[2], hb, b) || ha != hb) {
        std::fprintf(stderr, "psnr_tool: two PNM files of one size and kind\n");
        return 2;
    }
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += double(a[i] - b[i]) * double(a[i] - b[i]);
    const double mse = sum / double(a.size());
    std::printf("%.3f\n", mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse));
    return 0;
}
