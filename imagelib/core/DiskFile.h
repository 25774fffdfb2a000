#pragma once
// The platform's disk-file stream behind the CComFile interface: CWinFile in
// the Windows build, CPosixFile in the native one.
#include "ComFile.h"

#include <memory>

namespace corv {

// `name` is in the system's ANSI code page on Windows, UTF-8 elsewhere.
std::unique_ptr<CComFile> NewDiskFile(const char *name);

// Deletes a file by name; false when it could not be removed.
bool RemoveDiskFile(const char *name);

}  // namespace corv
