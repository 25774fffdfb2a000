# 64-bit Windows: the same code, for running the tests on hosts that cannot
# run 32-bit programs.
set(CORV_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
