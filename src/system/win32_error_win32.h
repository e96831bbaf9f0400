#pragma once
// Win32 failures as PlatformError: the GetLastError code and the system's description.
#include "system/platform_error.h"
#include "system/windows_api_win32.h"

#include <string>
#include <string_view>

namespace orvh {

// The system's description of a Windows error code (FormatMessageW), without the
// trailing line break; a generic text when the system has none.
std::wstring SystemErrorDescription(DWORD code);

PlatformError Win32Error(DWORD code, std::wstring_view source);

// Raises the calling thread's last error.
[[noreturn]] void ThrowLastError(std::wstring_view source);

} // namespace orvh
