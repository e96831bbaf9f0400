#pragma once
// Path expansion for every folder path of the program: environment references expanded,
// one trailing backslash removed.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvh {

// The platform's expansion of environment references; nullopt when it failed.
using EnvironmentExpander = std::function<std::optional<std::wstring>(std::wstring_view)>;

std::wstring ExpandPath(std::wstring_view path, const EnvironmentExpander& expand);

// One trailing backslash removed, if there is one.
std::wstring WithoutTrailingBackslash(std::wstring_view path);

} // namespace orvh
