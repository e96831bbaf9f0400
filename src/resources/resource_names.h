#pragma once
// How resources are named to the system and addressed with the res protocol.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvh {

// The integer resource id for `id`, or nullopt when `id` cannot be one: integer resource
// ids run from 1 to 65535 (0 is no name, and a larger value would be read as its low 16
// bits or as a text pointer).
std::optional<std::uint16_t> IntegerResourceId(std::int32_t id);

// The text name of an integer id: "#" and the id in decimal.
std::wstring NumberedResourceName(std::int32_t id);

// The res-protocol address of resource `index` of type `resFormat` in the module at
// `dllName`: empty when the name is empty or longer than 256 characters; the type
// loses its leading and trailing spaces (only spaces).
std::wstring ResourceUrl(std::wstring_view dllName, std::int16_t index, std::wstring_view resFormat);

} // namespace orvh
