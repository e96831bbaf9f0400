#pragma once
// A database's code page as msi.dll exports it: the _ForceCodepage table written as a
// text archive file, two empty lines and then "<code page>\t_ForceCodepage".
#include <cstdint>
#include <optional>
#include <string_view>

namespace orvh::msp {

std::optional<std::uint32_t> ForcedCodepage(std::string_view exported);

} // namespace orvh::msp
