// The disk as the page saver sees it, through the wide Win32 file calls.
#pragma once

#include "SaveHost.h"

class CWinSaveFiles : public ISaveFiles {
public:
    bool CreateNew(const std::string &path) override;
    bool Exists(const std::string &path) override;
    bool Remove(const std::string &path) override;
    std::optional<uint64_t> Size(const std::string &path) override;
    std::string WriterName(const std::string &path) override;
};
