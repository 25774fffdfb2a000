// The six exports: argument checks that need no geometry, and the barrier
// that keeps C++ exceptions (exhausted memory) from crossing the C boundary.
#include "Preview.h"
#include "SpotMeter.h"
#include "corvcolor.h"

#include <cstddef>
#include <exception>

// The spot functions accept the preview block of the same call site: the
// fields they read sit at the same places in both layouts.
static_assert(offsetof(SC_SPOTPARAM, x) == offsetof(SC_PREVIEWPARAM, areaLeft));
static_assert(offsetof(SC_SPOTPARAM, y) == offsetof(SC_PREVIEWPARAM, areaTop));
static_assert(offsetof(SC_SPOTPARAM, curveSwitch) == offsetof(SC_PREVIEWPARAM, curveSwitch));
static_assert(offsetof(SC_PREVIEWPARAM, curveSwitch) == 18 * 4);
static_assert(offsetof(SC_PREVIEWPARAM, curve) == 19 * 4);
static_assert(sizeof(SC_SPOTPARAM) == sizeof(SC_PREVIEWPARAM));

namespace {

using Pipeline = int (*)(uint8_t *, const uint8_t *, const SC_PREVIEWPARAM &);

int RunPreview(Pipeline run, uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM *param) {
    if (out == nullptr || in == nullptr || param == nullptr)
        return -1;
    try {
        return run(out, in, *param);
    } catch (const std::exception &) {
        return -1;
    }
}

int RunSpot(const uint8_t *in, const SC_SPOTPARAM *param, int bytesPerPixel) {
    if (in == nullptr || param == nullptr)
        return -1;
    return corvcolor::CSpotMeter::Measure(in, *param, bytesPerPixel);
}

}  // namespace

extern "C" {

int SC_API SC_preview(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM *param) {
    return RunPreview(corvcolor::CPreview::Colour, out, in, param);
}

int SC_API SC_ICCpreview(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM *param) {
    return RunPreview(corvcolor::CPreview::Icc, out, in, param);
}

int SC_API SC_sRGBpreview(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM *param) {
    return RunPreview(corvcolor::CPreview::Srgb, out, in, param);
}

int SC_API SC_Graypreview(uint8_t *out, const uint8_t *in, const SC_PREVIEWPARAM *param) {
    return RunPreview(corvcolor::CPreview::Gray, out, in, param);
}

int SC_API SC_proc_spoitL(const uint8_t *in, const SC_SPOTPARAM *param) {
    return RunSpot(in, param, 3);
}

int SC_API SC_grayproc_spoitL(const uint8_t *in, const SC_SPOTPARAM *param) {
    return RunSpot(in, param, 1);
}

}  // extern "C"
