#include "system/environment_win32.h"

#include "main/expand_path.h"
#include "system/windows_api.h"

#include <vector>

namespace orvh {

std::optional<std::wstring> ExpandEnvironmentReferences(std::wstring_view text) {
    const std::wstring source(text);
    const DWORD needed = ::ExpandEnvironmentStringsW(source.c_str(), nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::vector<wchar_t> buffer(needed);
    const DWORD length = ::ExpandEnvironmentStringsW(source.c_str(), buffer.data(), needed);
    if (length == 0 || length > needed) return std::nullopt;
    return std::wstring(buffer.data(), length - 1);
}

std::wstring ExpandPath(std::wstring_view path) { return ExpandPath(path, ExpandEnvironmentReferences); }

} // namespace orvh
