#include "system/win32_error_win32.h"

#include "system/unique_handles_win32.h"

namespace orvh {

std::wstring SystemErrorDescription(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocalMemory<wchar_t*> owner(buffer);
    if (length == 0) return L"Errore " + std::to_wstring(code);
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

PlatformError Win32Error(DWORD code, std::wstring_view source) {
    return PlatformError(static_cast<std::int32_t>(code), std::wstring(source), SystemErrorDescription(code));
}

void ThrowLastError(std::wstring_view source) { throw Win32Error(::GetLastError(), source); }

} // namespace orvh
