// The preview's cost on a real prescan: the source's committed memory at
// its peak during a prescan of an A4 colour page from the simulator, against
// the page's own size, and the time of one repaint at each zoom level, both
// the full one (the view scaled again from the image, as after a scroll or
// zoom) and the one that only redraws the selection. Run by
// bench/preview.sh; prints one line per figure.
#include <windows.h>

#include <psapi.h>

#include <cstdio>

#include "DataSource.h"
#include "DsTestSupport.h"
#include "SimulatorClient.h"
#include "SourceScanJob.h"
#include "TwainSrcApp.h"
#include "res/main_dialog_ids.h"

namespace {

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS m{};
    m.cb = sizeof(m);
    GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof(m));
    return m;
}

double Seconds() {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return static_cast<double>(now.QuadPart) / static_cast<double>(freq.QuadPart);
}

class PreviewBench : public DsTest {};

TEST_F(PreviewBench, PrescanMemoryAndRepaintTimes) {
    ASSERT_NE(CSimulatorClient::Port(), 0) << "simulator not running";
    ASSERT_TRUE(CSimulatorClient::SetScenario({}));
    TheApp().SetScanJobFactory(&CSourceScanJob::Create);
    const int resolution = 1;  // 300 dpi
    ConfigureScan("127.0.0.1", CSimulatorClient::Port(), 0, 0, resolution);
    Reach(500);
    HWND dialog = Dialog();
    SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    const PROCESS_MEMORY_COUNTERS before = Memory();
    Click(IDC_PRESCAN);
    const PROCESS_MEMORY_COUNTERS after = Memory();
    CPreview &preview = TheApp().Source()->MainDlg().Preview();
    ASSERT_TRUE(preview.HasImage());
    const double pageMb = preview.ImageWidth() * 3.0 * preview.ImageHeight() / 1e6;
    std::printf("page %dx%d colour: %.1f MB of pixels\n", preview.ImageWidth(),
                preview.ImageHeight(), pageMb);
    std::printf("committed before %.1f MB, peak %.1f MB: prescan peak %.1f MB = %.2f x the page\n",
                before.PagefileUsage / 1e6, after.PeakPagefileUsage / 1e6,
                (after.PeakPagefileUsage - before.PagefileUsage) / 1e6,
                (after.PeakPagefileUsage - before.PagefileUsage) / 1e6 / pageMb);
    std::printf("committed after the prescan %.1f MB\n", after.PagefileUsage / 1e6);

    HWND window = preview.Hwnd();
    TheApp().Source()->MainDlg().SetScanArea(CScanArea{300, 300, 900, 600, 300});
    const int rounds = 20;
    for (int zoom = CPreviewRules::kMinZoom; zoom <= CPreviewRules::kMaxZoom; ++zoom) {
        preview.ZoomAt(zoom, POINT{100, 100});
        UpdateWindow(window);
        double start = Seconds();
        for (int i = 0; i < rounds; ++i) {
            // A line down and back: the view is scaled from the image twice.
            SendMessageW(window, WM_VSCROLL, i % 2 ? SB_LINEUP : SB_LINEDOWN, 0);
            UpdateWindow(window);
        }
        const double full = (Seconds() - start) / rounds * 1e3;
        start = Seconds();
        for (int i = 0; i < rounds; ++i) {
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
        }
        const double selection = (Seconds() - start) / rounds * 1e3;
        std::printf("zoom %d (%d/8): full repaint %.2f ms, selection only %.2f ms\n", zoom,
                    1 << zoom, full, selection);
    }
    const PROCESS_MEMORY_COUNTERS end = Memory();
    std::printf("committed after the repaints %.1f MB, peak %.1f MB\n", end.PagefileUsage / 1e6,
                end.PeakPagefileUsage / 1e6);
    CloseSource();
}

}  // namespace
