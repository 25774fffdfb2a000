#include "JpegLibrary.h"

#include "ImageError.h"

#include <memory>
#include <new>

namespace corv {
namespace {

int g_users = 0;
std::unique_ptr<JpegColourTables> g_colour;

void BuildColourTables(JpegColourTables &t) {
    for (int32_t i = 0; i < 256; ++i) {
        t.rY[i] = FIX_0_29900 * i;
        t.gY[i] = FIX_0_58700 * i;
        t.bY[i] = FIX_0_11400 * i + kColourHalf;
        t.rCb[i] = -FIX_0_16874 * i;
        t.gCb[i] = -FIX_0_33126 * i;
        t.plusHalfCentre[i] = FIX_0_50000 * i + kColourCentreRounded;
        t.gCr[i] = -FIX_0_41869 * i;
        t.bCr[i] = -FIX_0_08131 * i;
    }
}

}  // namespace

bool JpegCpuHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

bool JpegCpuHasSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}

bool JpegCpuHasAvx() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}

void CJpegLibrary::Acquire() {
    if (g_users == 0) {
        g_colour.reset(new (std::nothrow) JpegColourTables);
        if (!g_colour)
            RaiseImageError(kErrNoMemory);
        BuildColourTables(*g_colour);
    }
    ++g_users;
}

void CJpegLibrary::Release() {
    if (g_users > 0 && --g_users == 0)
        g_colour.reset();
}

bool CJpegLibrary::Initialised() {
    return g_users > 0;
}

const JpegColourTables &CJpegLibrary::Colour() {
    return *g_colour;
}

bool CJpegLibrary::Fail(int code) {
    SetJpegLastError(code);
    return false;
}

}  // namespace corv
