#include "MrcConversion.h"

#include "DiagLog.h"
#include "PathText.h"
#include "cvpsmrc.h"

namespace {
constexpr const wchar_t *kLibrary = L"cvpsmrc.dll";
constexpr const wchar_t *kLogFile = L"cvpsmrc.log";

// An export by name as the function type it is declared with.
template <typename Fn>
Fn Entry(HMODULE library, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}

void RemoveLog() {
    if (::GetFileAttributesW(kLogFile) != INVALID_FILE_ATTRIBUTES)
        ::DeleteFileW(kLogFile);
}
}  // namespace

void CMrcConversion::Convert(const std::string &tiffPath, bool skip) {
    const std::wstring tiff = CPathText::Wide(tiffPath);
    if (::GetFileAttributesW(tiff.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    if (skip) {
        ::DeleteFileW(tiff.c_str());
        return;
    }
    const size_t dot = tiffPath.find_last_of('.');
    const std::string pdfPath = tiffPath.substr(0, dot) + ".pdf";
    const HMODULE library = ::LoadLibraryW(kLibrary);
    if (!library) {
        WriteLog("cvpsmrc.dll not found: no PDF");
        RemoveLog();
        ::DeleteFileW(tiff.c_str());
        return;
    }
    const std::wstring pdf = CPathText::Wide(pdfPath);
    if (Run(library, CPathText::Ansi(pdf), CPathText::Ansi(tiff), ProgramFolder())) {
        ::FreeLibrary(library);
        RemoveLog();
        WriteLog("converted to %s", pdfPath.c_str());
    } else {
        // The component may still hold something of ours: it stays loaded.
        if (::GetFileAttributesW(pdf.c_str()) != INVALID_FILE_ATTRIBUTES)
            ::DeleteFileW(pdf.c_str());
        WriteLog("conversion failed: no PDF");
    }
    ::DeleteFileW(tiff.c_str());
}

bool CMrcConversion::Run(HMODULE library, const std::string &pdf, const std::string &tiff,
                         const std::string &programFolder) {
    const auto init = Entry<CVMRCPDFInitFn>(library, "CVMRCPDFInit");
    const auto file = Entry<CVMRCPDFFileFn>(library, "CVMRCPDFFile");
    const auto end = Entry<CVMRCPDFEndFn>(library, "CVMRCPDFEnd");
    if (!init || !file || !end || pdf.empty() || tiff.empty())
        return false;
    static const char kEmpty[] = "";
    const SInitOptions options{1, kEmpty, kEmpty, kEmpty, kEmpty, -1, -1};
    const SFolderOptions folder{2, programFolder.c_str()};
    const int32_t pageOptions[6] = {0, -1, -1, -1, -1, -1};
    return init(pdf.c_str(), 1, &options, &folder, 0) == 0 &&
           file(tiff.c_str(), 0, pageOptions, 0) == 0 && end() == 0;
}

std::string CMrcConversion::ProgramFolder() const {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(m_program, path, MAX_PATH);
    std::wstring folder(path, n < MAX_PATH ? n : 0);
    const size_t slash = folder.find_last_of(L"\\/");
    folder.resize(slash == std::wstring::npos ? 0 : slash);
    return CPathText::Ansi(folder);
}
