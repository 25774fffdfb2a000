# 32-bit Windows: the build of the deliverables.
set(CORV_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
# Every processor that runs a supported Windows has SSE2: use it for all
# arithmetic (the x87 unit's extended precision would also give results that
# differ from the 64-bit build's). Windows and calling applications keep the
# stack only 4-byte aligned, so functions that spill SSE registers realign
# their own frames.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
