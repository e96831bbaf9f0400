#include "common/expand_path.h"

namespace orvh {

std::wstring WithoutTrailingBackslash(std::wstring_view path) {
    if (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
    return std::wstring(path);
}

std::wstring ExpandPath(std::wstring_view path, const EnvironmentExpander& expand) {
    const auto expanded = expand(path);
    return WithoutTrailingBackslash(expanded ? std::wstring_view(*expanded) : path);
}

} // namespace orvh
