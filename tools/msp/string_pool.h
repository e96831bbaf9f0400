#pragma once
// The string pool of a transform: every string its tables use, stored once. The
// _StringPool stream holds the code page, then a (length, reference count) pair of
// 16-bit words per string id from 1; _StringData holds the strings' bytes end to end.
#include "bytes.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orvh::msp {

class StringPool {
public:
    explicit StringPool(std::uint32_t codepage) : codepage_(codepage) {}

    // The id of a string already in the pool's code page, counting one more use of it.
    // The empty string is the null string, id 0, and is not stored.
    std::uint32_t Reference(const std::string& encoded);

    Bytes PoolStream() const;
    Bytes DataStream() const;

private:
    struct Entry {
        std::string text;
        std::uint16_t references = 0;
    };

    std::uint32_t codepage_;
    std::vector<Entry> entries_;  // id - 1
    std::map<std::string, std::uint32_t> ids_;
};

} // namespace orvh::msp
