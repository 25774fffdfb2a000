// A writer held by the save path. Whatever the writer raises stops at
// this class: the code is kept, the operation answers false, and a file
// the writer opened itself is closed and deleted before the answer, so
// that a failed save leaves nothing half-written behind.
#pragma once

#include <cstdint>
#include <memory>

#include "ImgToFile.h"

class CImgFileHolder {
public:
    explicit CImgFileHolder(std::unique_ptr<corv::CImgToFile> writer)
        : m_writer(std::move(writer)) {}

    bool Open(corv::CImgOption *option, const char *fileName);
    bool BeginPage(const corv::CImgParam &param);
    bool WriteData(size_t length, const uint8_t *bytes);
    bool EndPage();
    bool DropPage();
    bool Close();
    // Gives the file up without finishing it; a file the writer opened
    // itself is deleted.
    void Abandon() noexcept;

    // 0 none, -1 anything that was not the library's own error, else its code.
    int32_t Error() const { return m_error; }
    // Pages ended so far.
    int Pages() const { return m_pages; }

private:
    template <typename Step>
    bool Guard(Step step);

    std::unique_ptr<corv::CImgToFile> m_writer;
    int32_t m_error = 0;
    int m_pages = 0;
};
