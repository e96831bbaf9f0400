#pragma once
// Little-endian byte buffers, the form every stream of an installer database takes.
#include <cstdint>
#include <string_view>
#include <vector>

namespace orvh::msp {

using Bytes = std::vector<std::uint8_t>;

inline void AppendUint16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void AppendUint32(Bytes& out, std::uint32_t value) {
    AppendUint16(out, static_cast<std::uint16_t>(value));
    AppendUint16(out, static_cast<std::uint16_t>(value >> 16));
}

inline void AppendText(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

} // namespace orvh::msp
