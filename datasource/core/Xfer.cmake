# The portable arithmetic of the transfers: the DIB and BMP layout, the held
# prescan image's rows, and the memory transfer's block numbers.
set(_xfer_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(corv_xfer STATIC
  ${_xfer_dir}/DibLayout.cpp
  ${_xfer_dir}/HeldImage.cpp
  ${_xfer_dir}/MemXferBlock.cpp)
target_include_directories(corv_xfer PUBLIC ${_xfer_dir})

corv_add_test(xfer_tests
  SOURCES ${_xfer_dir}/tests/DibLayoutTest.cpp ${_xfer_dir}/tests/HeldImageTest.cpp
          ${_xfer_dir}/tests/MemXferBlockTest.cpp
  LIBS corv_xfer)
