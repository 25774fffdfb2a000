// The enabling rules of the three setting pages and the main dialog's
// arithmetic (estimated size, zoom entry, area bounds), apart from any
// window so that they can be checked in every combination.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct SBasicEnabling {
    bool sizeEnabled;    // size group and list
    bool customEnabled;  // custom height and width with their labels
    bool areaShown;      // the preview area's group and edits
    bool duplexShown;    // two-sided group and the mixed-size check
};

struct SQualityEnabling {
    bool contrast;      // contrast label and list
    bool saturation;    // saturation label and list
    bool documentType;  // document type label and list
    bool showThrough;
    bool photoShown;
    bool photoEnabled;
    bool photoCleared;  // the check is forced off (and with the option off, -1 is stored)
};

struct SInputEnabling {
    bool presetRatio;
    bool zoom;  // edit, spin and range label
    bool autoTarget;
};

class CPageRules {
public:
    // paperPlace 0 platen, 1 feeder; sizeIndex the document size list's position.
    static SBasicEnabling Basic(int32_t paperPlace, bool mixedSize, int32_t sizeIndex);
    // colourIndex: 0 full colour, 1 greyscale, 2 black-and-white, -1 no basic page.
    static SQualityEnabling Quality(int32_t colourIndex, int32_t paperPlace, bool photoOption);
    // magnification: 0 100 %, 1 preset ratio, 2 zoom, 3 automatic.
    static SInputEnabling Input(int32_t magnification);

    // The zoom edit's text when it loses focus, as the spin control takes
    // it: a number inside 25..400 stays, below 25 gives 25, above 400 gives
    // 400, and anything else 25.
    static int32_t ZoomFromText(std::wstring_view text);

    // Bytes of a scan of `pixels` pixels in colour mode 0 (3 bytes), 1 (1 byte) or 2 (1 bit).
    static uint64_t EstimatedBytes(uint64_t pixels, int32_t colourMode);
    // "%d.%.1d K" below 0x100001 bytes, "%.1f M" from there on.
    static std::wstring EstimatedSizeText(uint64_t bytes);
};
