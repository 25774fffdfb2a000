// Reads one 600 dpi A4 colour page from the simulator through the scan
// job's Read, as memory transfers do, and prints the bytes per second.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ScanJob.h"
#include "SimJobHost.h"

int main() {
    CSimJobHost host;
    host.settings.Resolution = 3;  // 600 dpi
    host.settings.ColorMode = 0;
    host.settings.InputMediumSize = 5;  // A4
    CScanJob job(host, false);
    if (job.Advance() != JOB_OK) {
        std::fprintf(stderr, "job failed: %d\n", job.Result());
        return 1;
    }
    const char *env = std::getenv("BENCH_BUF");
    std::vector<char> buf(env ? std::strtoul(env, nullptr, 10) : 65536);
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    uint64_t total = 0;
    for (;;) {
        uint32_t n = static_cast<uint32_t>(buf.size());
        bool end = job.Read(buf.data(), n);
        total += n;
        if (end)
            break;
    }
    QueryPerformanceCounter(&t1);
    const double seconds = double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart);
    if (job.Result() != JOB_OK || total != uint64_t(job.Geometry().pageBytes)) {
        std::fprintf(stderr, "page incomplete: %llu bytes, result %d\n",
                     static_cast<unsigned long long>(total), job.Result());
        return 1;
    }
    std::printf("%.0f\n", double(total) / seconds);
    job.EndPage();
    return 0;
}
