#include "PDFImagePipe.h"

#include <utility>

namespace corv {

CPDFImagePipe::CPDFImagePipe(Sink sink) : m_sink(std::move(sink)) {
    // Always open: the JPEG writer would otherwise try to open it.
    m_isOpen = true;
}

size_t CPDFImagePipe::WriteRaw(const void *bytes, size_t count) {
    m_sink(static_cast<const uint8_t *>(bytes), count);
    m_passed += count;
    return count;
}

}  // namespace corv
