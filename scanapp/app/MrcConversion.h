// The last step of a high-compression save: the component cvpsmrc.dll,
// looked up by name like any library, turns the finished TIFF into the PDF
// beside it. The TIFF goes in every case; when the component is missing
// or fails, no PDF is left either, and nothing is shown.
#pragma once

#include <windows.h>

#include "SaveHost.h"

class CMrcConversion : public IHighCompression {
public:
    explicit CMrcConversion(HINSTANCE program) : m_program(program) {}
    void Convert(const std::string &tiffPath, bool skip) override;

private:
    // The three entry points in order, each only after the one before succeeded.
    static bool Run(HMODULE library, const std::string &pdf, const std::string &tiff,
                    const std::string &programFolder);
    std::string ProgramFolder() const;

    HINSTANCE m_program;
};
