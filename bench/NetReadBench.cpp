// Reads one 600 dpi A4 colour page from the simulator through the scan
// job's Read, as memory transfers do, and prints the bytes per second.
// With the argument "raw" the same page is read with plain synchronous
// InternetReadFile calls of 1 MiB on the job's open request instead: the
// ceiling of WinINet on this platform, the job's own reference. With
// "socket" the GET_IMAGE is sent and received over a plain Winsock
// connection with 1 MiB recv calls: the ceiling of any Windows program's
// network reads on this platform, below WinINet.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CommandBody.h"
#include "ScanJob.h"
#include "SimJobHost.h"

namespace {

// Sends the request on a fresh connection and receives the answer whole;
// returns the image bytes received (after "Y_IMAGE_DATA="), 0 on failure.
uint64_t ReadOverSocket(const std::string &body) {
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return 0;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(CSimulatorClient::Port());
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    uint64_t image = 0;
    if (s != INVALID_SOCKET && connect(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0) {
        const std::string request =
            "POST /cgi-bin/scanner.dll HTTP/1.1\r\nHost: 127.0.0.1\r\n"
            "Content-Length: " +
            std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        send(s, request.data(), static_cast<int>(request.size()), 0);
        std::vector<char> big(1 << 20);
        std::string head;
        const std::string marker = "Y_IMAGE_DATA=";
        bool inImage = false;
        for (;;) {
            const int got = recv(s, big.data(), static_cast<int>(big.size()), 0);
            if (got <= 0)
                break;
            if (inImage) {
                image += static_cast<uint64_t>(got);
                continue;
            }
            head.append(big.data(), static_cast<size_t>(got));
            const size_t at = head.find(marker);
            if (at != std::string::npos) {
                inImage = true;
                image = head.size() - at - marker.size();
            }
        }
    }
    if (s != INVALID_SOCKET)
        closesocket(s);
    WSACleanup();
    return image;
}

}  // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool raw = mode == "raw";
    const bool overSocket = mode == "socket";
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
    if (overSocket) {
        CPageGeometry page;
        ComputePageGeometry(job.ColourMode(), job.PixelWidth(), job.PixelHeight(), job.RowSize(),
                            page);
        expected = static_cast<uint64_t>(page.pageBytes);
        total = ReadOverSocket(BuildGetImageBody(job.SessionId(), 0, page.pageBytes));
    } else if (raw) {
        // The same GET_IMAGE, then the bytes straight from WinINet.
        CPageGeometry page;
        ComputePageGeometry(job.ColourMode(), job.PixelWidth(), job.PixelHeight(), job.RowSize(),
                            page);
        job.Engine().GetImage(page);
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
    if (!raw && !overSocket)
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
