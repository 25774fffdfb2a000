// Where the settings rules take their texts from. The data source gives its
// module's string table; tests give their own module or a table in memory.
#pragma once

#include <string>

class IStringSource {
public:
    virtual ~IStringSource() = default;
    // The string with this id, or empty when there is none.
    virtual std::wstring Load(unsigned id) const = 0;
};
