#include "system/environment_win32.h"

#include "common/expand_path.h"
#include "system/sized_text.h"
#include "system/unique_handles_win32.h"
#include "system/windows_api_win32.h"

namespace orvh {

std::optional<std::wstring> ExpandEnvironmentReferences(std::wstring_view text) {
    const std::wstring source(text);
    return SizedText([&](wchar_t* buffer, std::size_t size) -> std::size_t {
        return ::ExpandEnvironmentStringsW(source.c_str(), buffer, static_cast<DWORD>(size));
    });
}

std::wstring ExpandPath(std::wstring_view path) { return ExpandPath(path, ExpandEnvironmentReferences); }

std::optional<std::wstring> TemporaryFolder() {
    using GetTempPath = DWORD(WINAPI*)(DWORD, LPWSTR);
    static const auto getTempPath = [] {
        const auto second = reinterpret_cast<GetTempPath>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W")));
        return second ? second : &::GetTempPathW;
    }();
    return SizedText([](wchar_t* buffer, std::size_t capacity) {
        const DWORD length = getTempPath(static_cast<DWORD>(capacity), buffer);
        // The length without the null when the path fitted, the size needed otherwise.
        return length == 0 ? 0 : length < capacity ? length + 1 : length;
    });
}

bool ProcessElevated() {
    UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return true;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) return true;
    return elevation.TokenIsElevated != 0;
}

} // namespace orvh
