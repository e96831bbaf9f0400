#pragma once
// Strings into the bytes of a database code page, for a transform's string pool.
#include "table_stream.h"

#include <cstdint>

namespace orvh::msp {

// Code page 0 (neutral) takes plain ASCII only. Throws std::invalid_argument for a
// character the code page cannot hold.
TextEncoder CodepageEncoder(std::uint32_t codepage);

} // namespace orvh::msp
