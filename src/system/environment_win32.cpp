#include "system/environment_win32.h"

#include "common/expand_path.h"
#include "system/sized_text.h"
#include "system/windows_api_win32.h"

namespace orvh {

std::optional<std::wstring> ExpandEnvironmentReferences(std::wstring_view text) {
    const std::wstring source(text);
    return SizedText([&](wchar_t* buffer, std::size_t size) -> std::size_t {
        return ::ExpandEnvironmentStringsW(source.c_str(), buffer, static_cast<DWORD>(size));
    });
}

std::wstring ExpandPath(std::wstring_view path) { return ExpandPath(path, ExpandEnvironmentReferences); }

} // namespace orvh
