#pragma once
// Read access to the program's texts by string id.
#include <cstdint>
#include <string>

namespace orvh {

class StringTable {
public:
    virtual ~StringTable() = default;
    // The text of `index`, or the missing-resource text when the table has no such id.
    virtual std::wstring LoadDllString(std::int32_t index) const = 0;
};

// What LoadDllString returns for an id the table does not have.
std::wstring MissingResourceText(std::int32_t index);

} // namespace orvh
