// The component's three C entry points over one process-wide document: the
// scan utility converts one file at a time and keeps the library loaded
// between saves, so a new Init simply replaces whatever an earlier, failed
// run left open.
#include "MrcDocument.h"
#include "cvpsmrc.h"

namespace {

corv::mrc::CMrcDocument &Document() {
    static corv::mrc::CMrcDocument document;
    return document;
}

}  // namespace

extern "C" {

int32_t CVMRCPDFInit(const char *outputPdfPath, int32_t /*one*/, const SInitOptions * /*opts*/,
                     const SFolderOptions * /*folder*/, int32_t /*zero*/) {
    // The option blocks are fixed by the caller and select nothing here.
    return Document().Init(outputPdfPath);
}

int32_t CVMRCPDFFile(const char *inputTiffPath, int32_t /*zero*/, const int32_t * /*sixValues*/,
                     int32_t /*zero2*/) {
    return Document().AddTiff(inputTiffPath);
}

int32_t CVMRCPDFEnd(void) {
    return Document().End();
}

}  // extern "C"
