# corv_pdf: the PDF writer (image XObjects coded raw, CCITT Group 3/4 or
# JPEG, optionally ASCII85 on top).
add_library(corv_pdf STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PdfText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PDFXRefPart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PDFPageList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ASCII85Encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PDFImagePipe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PDFXObjImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImgToPDF.cpp)
target_link_libraries(corv_pdf PUBLIC corv_imagelib corv_jpeg)

corv_add_test(pdf_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/tests/PdfWriterTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/PdfCodersTest.cpp
  LIBS corv_pdf)

# Files read back by qpdf and poppler, which share no code with this writer.
corv_add_test(pdf_decoder_tests NATIVE_ONLY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/PdfDecoderTest.cpp
  LIBS corv_pdf)
