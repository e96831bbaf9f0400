#include "forced_codepage.h"

#include <charconv>

namespace orvh::msp {

std::optional<std::uint32_t> ForcedCodepage(std::string_view exported) {
    constexpr std::string_view kMarker = "\t_ForceCodepage";
    const auto marker = exported.find(kMarker);
    if (marker == std::string_view::npos) return std::nullopt;
    const auto lineStart = exported.rfind('\n', marker);
    const std::size_t start = lineStart == std::string_view::npos ? 0 : lineStart + 1;
    std::uint32_t codepage = 0;
    const auto [end, error] = std::from_chars(exported.data() + start, exported.data() + marker, codepage);
    if (error != std::errc() || end != exported.data() + marker) return std::nullopt;
    return codepage;
}

} // namespace orvh::msp
