// One job as the scan server simulator keeps it: its session, whether it
// is still open, the commands it received and the pages it scanned.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SSimPageRecord {
    int number = 0;
    int width = 0;
    int height = 0;
    int mode = 0;  // 0 colour, 1 grey, 2 black and white
    int dpi = 0;
    int stride = 0;
    int64_t bytes = 0;
};

class CSimJobState {
public:
    // The job of this session in the simulator's state, if it knows one.
    static std::optional<CSimJobState> Of(int session);
    // The highest session number the simulator has handed out (0: none).
    static int LastSession();

    int session = 0;
    bool open = false;
    std::string closedBy;
    std::vector<std::string> commands;
    std::vector<SSimPageRecord> pages;

    // Parses one job out of the simulator's state document.
    static std::optional<CSimJobState> Parse(const std::string &state, int session);
};
