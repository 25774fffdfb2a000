// A settings file in memory for the tests; counts writes so tests see what
// was not written.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "ProfileFile.h"

class CMemoryProfile : public IProfileFile {
public:
    std::optional<std::string> Read(std::string_view section, std::string_view key) const override {
        const auto it = values.find({std::string(section), std::string(key)});
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    bool Write(std::string_view section, std::string_view key, std::string_view value) override {
        values[{std::string(section), std::string(key)}] = value;
        ++writes;
        return true;
    }
    std::string At(const char *section, const char *key) const {
        return Read(section, key).value_or("<missing>");
    }

    std::map<std::pair<std::string, std::string>, std::string> values;
    int writes = 0;
};
