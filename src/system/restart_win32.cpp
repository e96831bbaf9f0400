#include "system/restart_win32.h"

#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

namespace orvh {
namespace {

// An update's installation, planned: Windows logs it as such, not as an unexpected shutdown.
constexpr DWORD kReason = SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION | SHTDN_REASON_FLAG_PLANNED;

// The Windows NT family, whose restart needs the shutdown privilege.
bool IsWindowsNT() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    ::GetVersionExW(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

} // namespace

void Win32SystemRestart::EnableShutdownPrivilege() {
    if (!IsWindowsNT()) return;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        ThrowLastError(L"OpenProcessToken");
    }
    const UniqueHandle tokenOwner(token);
    TOKEN_PRIVILEGES enable{};
    enable.PrivilegeCount = 1;
    enable.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &enable.Privileges[0].Luid)) {
        ThrowLastError(L"LookupPrivilegeValueW SeShutdownPrivilege");
    }
    // For an account that does not hold the privilege the call succeeds all the same and
    // tells it only by the last error.
    if (!::AdjustTokenPrivileges(token, FALSE, &enable, 0, nullptr, nullptr) ||
        ::GetLastError() == ERROR_NOT_ALL_ASSIGNED) {
        ThrowLastError(L"AdjustTokenPrivileges SeShutdownPrivilege");
    }
}

void Win32SystemRestart::AskShutdownService(bool force) {
    if (!::InitiateSystemShutdownExW(nullptr, nullptr, 0, force, TRUE, kReason)) {
        ThrowLastError(L"InitiateSystemShutdownExW");
    }
}

void Win32SystemRestart::Pause(std::int32_t milliseconds) { ::Sleep(static_cast<DWORD>(milliseconds)); }

void Win32SystemRestart::RestartWindows(bool force, const std::function<void()>& asking) {
    RequestRestart(force, *this, asking);
}

} // namespace orvh
