#include "SaneDevice.h"

#include <pwd.h>
#include <sane/saneopts.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "CurlTransport.h"
#include "Log.h"
#include "ServerMessages.h"

namespace {

const SANE_String_Const kSources[] = {"Flatbed", "ADF", nullptr};
// In the server's colour mode order of codes: 0 colour, 1 grey, 2 bilevel.
const SANE_String_Const kModes[] = {SANE_VALUE_SCAN_MODE_COLOR, SANE_VALUE_SCAN_MODE_GRAY,
                                    SANE_VALUE_SCAN_MODE_LINEART, nullptr};
// The server's resolution codes 0..3, first entry the count.
const SANE_Word kResolutions[] = {4, 200, 300, 400, 600};
// The largest area the server's custom size takes (A4 portrait fits, and
// US letter); smaller sizes are asked for as a custom size from the origin.
const SANE_Range kXRange = {0, SANE_FIX(215.9), 0};
const SANE_Range kYRange = {0, SANE_FIX(297.0), 0};
const SANE_Range kBrightnessRange = {-3, 3, 1};
const SANE_Range kContrastRange = {-2, 2, 1};
// The server refuses a custom size below this, in tenths of a millimetre.
constexpr int32_t kMinCustomTenths = 150;
constexpr int kReadyPollMs = 100;

std::string LoginName() {
    if (const passwd *pw = getpwuid(getuid()))
        return std::string(pw->pw_name).substr(0, 127);
    return std::string();
}

int32_t MmToPixels(double mm, int dpi) {
    return static_cast<int32_t>(std::floor(mm / 25.4 * dpi + 0.5));
}

SANE_Option_Descriptor Group(const char *title) {
    SANE_Option_Descriptor d{};
    d.title = title;
    d.desc = "";
    d.name = "";
    d.type = SANE_TYPE_GROUP;
    d.cap = SANE_CAP_ADVANCED;
    return d;
}

SANE_Option_Descriptor Option(const char *name, const char *title, const char *desc,
                              SANE_Value_Type type, SANE_Unit unit) {
    SANE_Option_Descriptor d{};
    d.name = name;
    d.title = title;
    d.desc = desc;
    d.type = type;
    d.unit = unit;
    d.size = sizeof(SANE_Word);
    d.cap = SANE_CAP_SOFT_SELECT | SANE_CAP_SOFT_DETECT;
    return d;
}

SANE_Option_Descriptor StringList(const char *name, const char *title, const char *desc,
                                  const SANE_String_Const *list) {
    SANE_Option_Descriptor d = Option(name, title, desc, SANE_TYPE_STRING, SANE_UNIT_NONE);
    size_t longest = 0;
    for (const SANE_String_Const *s = list; *s; ++s)
        longest = std::max(longest, std::strlen(*s) + 1);
    d.size = static_cast<SANE_Int>(longest);
    d.constraint_type = SANE_CONSTRAINT_STRING_LIST;
    d.constraint.string_list = list;
    return d;
}

SANE_Option_Descriptor Ranged(const char *name, const char *title, const char *desc,
                              SANE_Value_Type type, SANE_Unit unit, const SANE_Range *range) {
    SANE_Option_Descriptor d = Option(name, title, desc, type, unit);
    d.constraint_type = SANE_CONSTRAINT_RANGE;
    d.constraint.range = range;
    return d;
}

int IndexOf(const SANE_String_Const *list, const char *value) {
    for (int i = 0; list[i]; ++i) {
        if (std::strcmp(list[i], value) == 0)
            return i;
    }
    return -1;
}

}  // namespace

CSaneDevice::CSaneDevice(const std::string &url) : m_url(url) {
    m_desc[OPT_NUM_OPTS] = Option(SANE_NAME_NUM_OPTIONS, SANE_TITLE_NUM_OPTIONS,
                                  SANE_DESC_NUM_OPTIONS, SANE_TYPE_INT, SANE_UNIT_NONE);
    m_desc[OPT_NUM_OPTS].cap = SANE_CAP_SOFT_DETECT;
    m_desc[OPT_MODE_GROUP] = Group("Scan Mode");
    m_desc[OPT_SOURCE] =
        StringList(SANE_NAME_SCAN_SOURCE, SANE_TITLE_SCAN_SOURCE, SANE_DESC_SCAN_SOURCE, kSources);
    m_desc[OPT_MODE] =
        StringList(SANE_NAME_SCAN_MODE, SANE_TITLE_SCAN_MODE, SANE_DESC_SCAN_MODE, kModes);
    m_desc[OPT_RESOLUTION] = Option(SANE_NAME_SCAN_RESOLUTION, SANE_TITLE_SCAN_RESOLUTION,
                                    SANE_DESC_SCAN_RESOLUTION, SANE_TYPE_INT, SANE_UNIT_DPI);
    m_desc[OPT_RESOLUTION].constraint_type = SANE_CONSTRAINT_WORD_LIST;
    m_desc[OPT_RESOLUTION].constraint.word_list = kResolutions;
    m_desc[OPT_GEOMETRY_GROUP] = Group("Geometry");
    m_desc[OPT_TL_X] = Ranged(SANE_NAME_SCAN_TL_X, SANE_TITLE_SCAN_TL_X, SANE_DESC_SCAN_TL_X,
                              SANE_TYPE_FIXED, SANE_UNIT_MM, &kXRange);
    m_desc[OPT_TL_Y] = Ranged(SANE_NAME_SCAN_TL_Y, SANE_TITLE_SCAN_TL_Y, SANE_DESC_SCAN_TL_Y,
                              SANE_TYPE_FIXED, SANE_UNIT_MM, &kYRange);
    m_desc[OPT_BR_X] = Ranged(SANE_NAME_SCAN_BR_X, SANE_TITLE_SCAN_BR_X, SANE_DESC_SCAN_BR_X,
                              SANE_TYPE_FIXED, SANE_UNIT_MM, &kXRange);
    m_desc[OPT_BR_Y] = Ranged(SANE_NAME_SCAN_BR_Y, SANE_TITLE_SCAN_BR_Y, SANE_DESC_SCAN_BR_Y,
                              SANE_TYPE_FIXED, SANE_UNIT_MM, &kYRange);
    m_desc[OPT_ENHANCEMENT_GROUP] = Group("Enhancement");
    m_desc[OPT_BRIGHTNESS] =
        Ranged(SANE_NAME_BRIGHTNESS, SANE_TITLE_BRIGHTNESS, SANE_DESC_BRIGHTNESS, SANE_TYPE_INT,
               SANE_UNIT_NONE, &kBrightnessRange);
    m_desc[OPT_CONTRAST] = Ranged(SANE_NAME_CONTRAST, SANE_TITLE_CONTRAST, SANE_DESC_CONTRAST,
                                  SANE_TYPE_INT, SANE_UNIT_NONE, &kContrastRange);
    std::fill(std::begin(m_value), std::end(m_value), 0);
    m_value[OPT_NUM_OPTS] = OPT_COUNT;
    m_value[OPT_RESOLUTION] = 300;
    m_value[OPT_BR_X] = SANE_FIX(210.0);
    m_value[OPT_BR_Y] = SANE_FIX(297.0);
}

CSaneDevice::~CSaneDevice() {
    // The engine ends an open job before its transport goes.
    m_engine.reset();
}

const SANE_Option_Descriptor *CSaneDevice::Descriptor(SANE_Int option) const {
    return option >= 0 && option < OPT_COUNT ? &m_desc[option] : nullptr;
}

SANE_Status CSaneDevice::Control(SANE_Int option, SANE_Action action, void *value, SANE_Int *info) {
    if (info)
        *info = 0;
    if (option < 0 || option >= OPT_COUNT || m_desc[option].type == SANE_TYPE_GROUP || !value)
        return SANE_STATUS_INVAL;
    if (action == SANE_ACTION_GET_VALUE) {
        if (option == OPT_SOURCE)
            std::strcpy(static_cast<char *>(value), kSources[m_source]);
        else if (option == OPT_MODE)
            std::strcpy(static_cast<char *>(value), kModes[m_mode]);
        else
            *static_cast<SANE_Word *>(value) = m_value[option];
        return SANE_STATUS_GOOD;
    }
    if (action != SANE_ACTION_SET_VALUE || option == OPT_NUM_OPTS)
        return SANE_STATUS_INVAL;
    if (m_scanning)
        return SANE_STATUS_DEVICE_BUSY;
    if (option == OPT_SOURCE || option == OPT_MODE) {
        const SANE_String_Const *list = option == OPT_SOURCE ? kSources : kModes;
        const int index = IndexOf(list, static_cast<const char *>(value));
        if (index < 0)
            return SANE_STATUS_INVAL;
        (option == OPT_SOURCE ? m_source : m_mode) = index;
    } else {
        SANE_Word v = *static_cast<SANE_Word *>(value);
        const SANE_Option_Descriptor &d = m_desc[option];
        if (d.constraint_type == SANE_CONSTRAINT_WORD_LIST) {
            const SANE_Word *list = d.constraint.word_list;
            if (std::find(list + 1, list + 1 + list[0], v) == list + 1 + list[0])
                return SANE_STATUS_INVAL;
        } else if (d.constraint_type == SANE_CONSTRAINT_RANGE) {
            const SANE_Word clamped =
                std::clamp(v, d.constraint.range->min, d.constraint.range->max);
            if (clamped != v && info)
                *info |= SANE_INFO_INEXACT;
            v = clamped;
            *static_cast<SANE_Word *>(value) = v;
        }
        m_value[option] = v;
    }
    if (info)
        *info |= SANE_INFO_RELOAD_PARAMS;
    return SANE_STATUS_GOOD;
}

int CSaneDevice::Dpi() const {
    return m_value[OPT_RESOLUTION];
}

int CSaneDevice::BitsPerPixel() const {
    return BitsPerPixelOfColourMode(m_mode);
}

SCropArea CSaneDevice::AreaFor(int32_t pageWidth, int32_t pageHeight) const {
    const int dpi = Dpi();
    auto span = [dpi](SANE_Word a, SANE_Word b, int32_t limit, int32_t &from, int32_t &count) {
        const double lo = SANE_UNFIX(std::min(a, b)), hi = SANE_UNFIX(std::max(a, b));
        from = std::clamp(MmToPixels(lo, dpi), 0, std::max(limit - 1, 0));
        const int32_t to = std::clamp(MmToPixels(hi, dpi), from + 1, std::max(limit, from + 1));
        count = std::min(to, limit) - from;
    };
    SCropArea a;
    span(m_value[OPT_TL_X], m_value[OPT_BR_X], pageWidth, a.left, a.width);
    span(m_value[OPT_TL_Y], m_value[OPT_BR_Y], pageHeight, a.top, a.height);
    return a;
}

CScanRequestParams CSaneDevice::RequestParams() const {
    CScanRequestParams p;
    p.PaperPlace = m_source;
    p.ColorMode = m_mode;
    const SANE_Word *list = kResolutions;
    p.Resolution =
        static_cast<int32_t>(std::find(list + 1, list + 1 + list[0], Dpi()) - (list + 1));
    // The page is asked for from the origin to the far corner of the area
    // and cut to the area when it arrives.
    p.InputMediumSize = 2;
    const SANE_Word right = std::max(m_value[OPT_TL_X], m_value[OPT_BR_X]);
    const SANE_Word bottom = std::max(m_value[OPT_TL_Y], m_value[OPT_BR_Y]);
    p.ImageWidth =
        std::max(kMinCustomTenths, static_cast<int32_t>(std::ceil(SANE_UNFIX(right) * 10)));
    p.ImageHeight =
        std::max(kMinCustomTenths, static_cast<int32_t>(std::ceil(SANE_UNFIX(bottom) * 10)));
    p.Brightness = m_value[OPT_BRIGHTNESS];
    p.Contrast = m_value[OPT_CONTRAST];
    p.Isotropic = 100;
    return p;
}

SANE_Status CSaneDevice::Parameters(SANE_Parameters *params) {
    if (!params)
        return SANE_STATUS_INVAL;
    int32_t width = 0, height = 0;
    if (m_scanning && m_cropper) {
        width = m_area.width;
        height = m_area.height;
    } else {
        const SCropArea a = AreaFor(INT32_MAX / 2, INT32_MAX / 2);
        width = a.width;
        height = a.height;
    }
    const int bits = BitsPerPixel();
    params->format = bits == 24 ? SANE_FRAME_RGB : SANE_FRAME_GRAY;
    params->last_frame = SANE_TRUE;
    params->depth = bits == 1 ? 1 : 8;
    params->pixels_per_line = width;
    params->lines = height;
    params->bytes_per_line = bits == 1 ? (width + 7) / 8 : width * (bits / 8);
    return SANE_STATUS_GOOD;
}

SANE_Status CSaneDevice::Failed(EEngineStatus status) {
    m_scanning = false;
    m_cropper.reset();
    if (status == EEngineStatus::Cancelled)
        return SANE_STATUS_CANCELLED;
    if (status == EEngineStatus::NoDocs)
        return SANE_STATUS_NO_DOCS;
    const std::string why = m_engine->DescribeError(m_texts);
    CorvLog(1, "%s: %s", m_url.c_str(), why.c_str());
    switch (m_engine->Error()) {
        case EEngineError::Transport:
        case EEngineError::BrokenOff:
        case EEngineError::HttpStatus:
        case EEngineError::NoCommandPath:
        case EEngineError::BadPage:
        case EEngineError::ShortData:
            return SANE_STATUS_IO_ERROR;
        case EEngineError::AuthAtDevice:
            return SANE_STATUS_ACCESS_DENIED;
        case EEngineError::None:
        case EEngineError::Server:
            break;
    }
    const int32_t r = m_engine->LastReply().result;
    if (r == 16403 || r == 40963 || r == 49172 || r == 49173 || r == 49171)
        return SANE_STATUS_DEVICE_BUSY;
    if (r == 45662 || (r >= 46080 && r <= 46095))
        return SANE_STATUS_JAMMED;
    if (r == 45661 || (r >= 46144 && r <= 46151))
        return SANE_STATUS_COVER_OPEN;
    if (r == 45658 || r == 49177 || r == msgid::kFeederEmpty)
        return SANE_STATUS_NO_DOCS;
    if (r == 16413 || r == 49181)
        return SANE_STATUS_NO_MEM;
    if (r == -1 && m_engine->LastReply().status == -197)
        return SANE_STATUS_CANCELLED;
    if (r == 1 || r == 16430)
        return SANE_STATUS_INVAL;
    return SANE_STATUS_IO_ERROR;
}

SANE_Status CSaneDevice::Start() {
    if (m_scanning)
        return SANE_STATUS_DEVICE_BUSY;
    if (!m_engine || !m_engine->JobOpen()) {
        // A new job takes the options as they are now; the sheets of an
        // open feeder job keep the job's.
        m_engine.reset();
        if (!m_transport)
            m_transport = std::make_unique<CCurlTransport>(m_url);
        m_engine = std::make_unique<CScanEngine>(
            *m_transport, RequestParams(), LoginName(),
            [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
        // A server that reports "not ready" answers at once; a short pause
        // keeps a backend that nobody watches from flooding it while the
        // scanner warms up or is busy.
        m_engine->SetReadyPollPause(kReadyPollMs);
        const std::string url = m_url;
        m_engine->KeepAliveWith([url] { return std::make_unique<CCurlTransport>(url); });
    }
    m_scanning = true;
    const EEngineStatus status = m_engine->StartPage();
    if (status != EEngineStatus::Good)
        return Failed(status);
    const int bits = BitsPerPixelOfColourMode(RequestParams().ColorMode);
    m_area = AreaFor(m_engine->PixelWidth(), m_engine->PixelHeight());
    m_cropper = std::make_unique<CRowCropper>(bits, m_engine->Page().bytesPerRow, m_area);
    m_out.clear();
    m_outPos = 0;
    m_pageDone = false;
    CorvLog(3, "page %d x %d, %d bytes a row, area %d,%d %d x %d", m_engine->PixelWidth(),
            m_engine->PixelHeight(), m_engine->Page().bytesPerRow, m_area.left, m_area.top,
            m_area.width, m_area.height);
    return SANE_STATUS_GOOD;
}

SANE_Status CSaneDevice::Read(SANE_Byte *data, SANE_Int maxLength, SANE_Int *length) {
    if (length)
        *length = 0;
    if (!data || !length || maxLength < 0)
        return SANE_STATUS_INVAL;
    if (!m_scanning || !m_cropper)
        return SANE_STATUS_CANCELLED;
    char chunk[64 * 1024];
    while (m_outPos == m_out.size()) {
        m_out.clear();
        m_outPos = 0;
        if (m_pageDone) {
            m_scanning = false;
            m_cropper.reset();
            return SANE_STATUS_EOF;
        }
        size_t got = 0;
        const EEngineStatus status = m_engine->Read(chunk, sizeof chunk, got);
        if (status != EEngineStatus::Good)
            return Failed(status);
        if (got == 0)
            m_pageDone = true;
        m_cropper->Feed(chunk, got, m_out);
    }
    const size_t n = std::min(static_cast<size_t>(maxLength), m_out.size() - m_outPos);
    std::memcpy(data, m_out.data() + m_outPos, n);
    m_outPos += n;
    *length = static_cast<SANE_Int>(n);
    return SANE_STATUS_GOOD;
}

void CSaneDevice::Cancel() {
    if (!m_engine)
        return;
    // Frontends call this from signal handlers too: a call that is running
    // sees the flag and cancels on the server itself.
    if (m_engine->Busy()) {
        m_engine->RequestCancel();
        return;
    }
    m_engine->CloseJob();
    m_scanning = false;
    m_cropper.reset();
}
