// Reads one 600 dpi A4 colour page from the simulator through the scan
// job's Read, as memory transfers do, and prints the bytes per second.
// With the argument "raw" the same page is read with plain synchronous
// InternetReadFile calls of 1 MiB on the job's open request instead: the
// ceiling of WinINet on this platform, the job's own reference.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CommandBody.h"
#include "ScanJob.h"
#include "SimJobHost.h"

int main(int argc, char **argv) {
    const bool raw = argc > 1 && std::string(argv[1]) == "raw";
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
    uint64_t expected = 0;
    if (raw) {
        // The same GET_IMAGE, then the bytes straight from WinINet.
        CPageGeometry page;
        ComputePageGeometry(job.ColourMode(), job.PixelWidth(), job.PixelHeight(), job.RowSize(),
                            page);
        const std::string body = BuildGetImageBody(job.SessionId(), 0, page.pageBytes);
        CScannerHttpSession &session = job.Session();
        while (session.GetImage(body) == EPoll::Pending)
            WaitForSingleObject(session.DoneEvent(), 50);
        expected = static_cast<uint64_t>(page.pageBytes);
        std::vector<char> big(1 << 20);
        for (;;) {
            int got = job.Session().ReadSome(big.data(), static_cast<DWORD>(big.size()));
            if (got <= 0)
                break;
            total += static_cast<uint64_t>(got);
        }
    } else {
        for (;;) {
            uint32_t n = static_cast<uint32_t>(buf.size());
            bool end = job.Read(buf.data(), n);
            total += n;
            if (end)
                break;
        }
    }
    QueryPerformanceCounter(&t1);
    const double seconds = double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart);
    if (!raw)
        expected = static_cast<uint64_t>(job.Geometry().pageBytes);
    if (job.Result() != JOB_OK || total != expected) {
        std::fprintf(stderr, "page incomplete: %llu bytes, result %d\n",
                     static_cast<unsigned long long>(total), job.Result());
        return 1;
    }
    std::printf("%.0f\n", double(total) / seconds);
    job.EndPage();
    return 0;
}
