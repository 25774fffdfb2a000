// Arbitrary bytes as a TIFF: every page the reader accepts is read to its
// last row. The reader must refuse with its error, never read outside the
// input or size a buffer past what the input holds.
#include "MemoryFile.h"
#include "TiffReader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace corv::mrc;
    std::vector<uint8_t> bytes(data, data + size);
    corv::CMemoryFile file;
    file.Attach(bytes.data(), bytes.size());
    file.Open(corv::kOpenRead);
    try {
        CTiffReader reader(file);
        TiffPage page;
        while (reader.NextPage(page)) {
            // A page that passed the checks lies inside the input.
            if (page.RowBytes() * size_t(page.height) > size)
                __builtin_trap();
            std::vector<uint8_t> row(page.RowBytes());
            for (int y = 0; y < page.height; ++y)
                reader.ReadRows(row.data(), 1);
        }
    } catch (const CMrcError &) {
    }
    return 0;
}
