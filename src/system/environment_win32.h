#pragma once
// Environment references expanded by ExpandEnvironmentStringsW.
#include <optional>
#include <string>
#include <string_view>

namespace orvh {

std::optional<std::wstring> ExpandEnvironmentReferences(std::wstring_view text);

// ExpandPath with the platform's expansion.
std::wstring ExpandPath(std::wstring_view path);

} // namespace orvh
