#pragma once
// Shared by the PDF writer tests: writing pages into memory and reading the
// cross-reference table back without the writer's own code.
#include "../../tests/TestImages.h"
#include "ImgToPDF.h"
#include "MemoryFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace corv::test {

// A page as the save path delivers it: packed rows, or each row followed
// by `pad` bytes of 0xA5 padding.
inline std::vector<uint8_t> PaddedRows(const TestPage &page, int pad) {
    std::vector<uint8_t> out;
    const size_t rb = size_t(page.RowBytes());
    for (int y = 0; y < page.height; ++y) {
        out.insert(out.end(), page.rows.begin() + y * rb, page.rows.begin() + (y + 1) * rb);
        out.insert(out.end(), size_t(pad), 0xA5);
    }
    return out;
}

inline void WritePage(CImgToFile &writer, const TestPage &page, double dpi, size_t chunk,
                      int pad = 0) {
    const std::vector<uint8_t> rows = PaddedRows(page, pad);
    writer.BeginPage(
        CImgParam(page.pixelType, page.width, page.height, page.RowBytes() + pad, dpi));
    for (size_t at = 0; at < rows.size(); at += chunk)
        writer.WriteData(std::min(chunk, rows.size() - at), rows.data() + at);
    writer.EndPage();
}

inline std::string PdfInMemory(CPdfOption option, const std::vector<TestPage> &pages,
                               double dpi = 300, size_t chunk = 4096, int pad = 0) {
    CMemoryFile file;
    file.Open(kOpenReadWrite);
    CImgToPDF writer;
    writer.Open(&option, &file);
    for (const TestPage &page : pages)
        WritePage(writer, page, dpi, chunk, pad);
    writer.Close();
    return std::string(reinterpret_cast<const char *>(file.Data()), size_t(file.Length()));
}

// Checks the trailer, "startxref" and every in-use entry of the table
// against the text; returns the number of entries (free entry included).
inline int CheckXref(const std::string &pdf) {
    const size_t sx = pdf.rfind("startxref\n");
    EXPECT_NE(sx, std::string::npos);
    if (sx == std::string::npos)
        return -1;
    const long xrefAt = std::strtol(pdf.c_str() + sx + 10, nullptr, 10);
    EXPECT_EQ(pdf.compare(size_t(xrefAt), 5, "xref\n"), 0);
    const char *p = pdf.c_str() + xrefAt + 5;
    char *end = nullptr;
    EXPECT_EQ(std::strtol(p, &end, 10), 0);
    const int count = int(std::strtol(end, &end, 10));
    p = end + 1;
    EXPECT_EQ(std::string(p, 20), "0000000000 65535 f \n");
    for (int i = 1; i < count; ++i) {
        const std::string entry(p + 20 * i, 20);
        EXPECT_EQ(entry.substr(10), " 00000 n \n") << "entry " << i;
        const long offset = std::strtol(entry.c_str(), nullptr, 10);
        const std::string head = std::to_string(i) + " 0 obj\n";
        EXPECT_EQ(pdf.compare(size_t(offset), head.size(), head), 0) << "object " << i;
    }
    EXPECT_NE(pdf.find("/Size " + std::to_string(count) + "\n"), std::string::npos);
    EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");
    return count;
}

}  // namespace corv::test
