# corv_jpeg: the baseline JPEG encoder (JFIF files, and the TIFF writer's
# compression-7 strips through RegisterJpegStripWriter).
add_library(corv_jpeg STATIC
  ${CMAKE_CURRENT_LIST_DIR}/JpegTables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegLibrary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegColorConverter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegForwardDct.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegKernelsSse2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegKernelsAvx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegKernelsAvx2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegQuantizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegOutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegHuffmanEncoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegMarkerWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegEncoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegHuffmanDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegInverseDct.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegProgressiveBlock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegLosslessPredictor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JPEGImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImgToJPEG.cpp)
target_link_libraries(corv_jpeg PUBLIC corv_imagelib)

corv_add_test(jpeg_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/JpegEncoderTest.cpp
  LIBS corv_jpeg)

# Streams read back by decoders this library shares no code with.
corv_add_test(jpeg_decoder_tests NATIVE_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/JpegDecoderTest.cpp
  LIBS corv_jpeg)

# The per-block kernels are written over eight lanes; -O3 lets the compiler
# vectorise them (the results are bit-identical, the golden tests pin that).
set_source_files_properties(
  ${CMAKE_CURRENT_LIST_DIR}/JpegForwardDct.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegQuantizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegColorConverter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegInverseDct.cpp
  PROPERTIES COMPILE_OPTIONS -O3)

# The vector kernels, each built for its instruction set; the encoder calls
# them only where the processor has it. MinGW cannot align the stack for
# 32-byte spills, so its aligned vector moves are assembled as unaligned ones.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/JpegKernelsSse2.cpp
  PROPERTIES COMPILE_OPTIONS "-O3;-msse2")
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/JpegKernelsAvx.cpp
  PROPERTIES COMPILE_OPTIONS "-O3;-mavx")
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/JpegKernelsAvx2.cpp
  PROPERTIES COMPILE_OPTIONS "-O3;-mavx2")
if(MINGW)
  target_compile_options(corv_jpeg PRIVATE -Wa,-muse-unaligned-vector-move)
endif()
