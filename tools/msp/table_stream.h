#pragma once
// The stream a transform holds for one table: its records one after the other, each the
// 16-bit mask and then the cells present. A string cell is its 16-bit id in the
// transform's string pool, a 16-bit integer is stored plus 0x8000, a 32-bit one with its
// top bit flipped; 0 is null in every kind.
#include "bytes.h"
#include "string_pool.h"
#include "table_difference.h"

#include <functional>
#include <string>
#include <string_view>

namespace orvh::msp {

// Turns a string into bytes of the string pool's code page.
using TextEncoder = std::function<std::string(std::wstring_view)>;

// Throws std::invalid_argument for a cell that does not suit its column.
Bytes TableStream(const std::vector<Column>& columns, const std::vector<RowRecord>& records, StringPool& strings,
                  const TextEncoder& encode);

} // namespace orvh::msp
