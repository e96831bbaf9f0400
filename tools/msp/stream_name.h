#pragma once
// Names of streams inside an installer database or transform. The installer packs each
// pair of characters from [0-9A-Za-z._] into one 16-bit unit (a lone one into another
// range), and marks the streams that hold tables with a leading 0x4840.
#include <string>
#include <string_view>

namespace orvh::msp {

enum class StreamKind { Table, Plain };

// The stored name; throws std::length_error when it exceeds the 31 units a compound
// file allows.
std::wstring EncodeStreamName(std::wstring_view name, StreamKind kind);

} // namespace orvh::msp
