#pragma once
// The program-wide record of the most recent recorded error. Operations that must not
// interrupt their caller leave their failure here and go on.
#include <cstdint>
#include <string>

namespace orvh {

struct ErrorRecord {
    std::int32_t number = 0;
    std::wstring source;
    std::wstring description;

    void Set(std::int32_t newNumber, std::wstring newSource, std::wstring newDescription) {
        number = newNumber;
        source = std::move(newSource);
        description = std::move(newDescription);
    }
};

// The one current error record of the program (single-threaded by design).
ErrorRecord& CurrentError();

} // namespace orvh
