# 32-bit Windows: the build of the deliverables.
set(CORV_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
