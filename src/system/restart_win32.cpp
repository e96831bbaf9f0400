#include "system/restart_win32.h"

#include "system/unique_handles_win32.h"

namespace orvh {

bool IsWindowsNT() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    ::GetVersionExW(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
    const UniqueHandle tokenOwner(token);

    LUID shutdown{};
    ::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &shutdown);

    TOKEN_PRIVILEGES enable{};
    enable.PrivilegeCount = 1;
    enable.Privileges[0].Luid = shutdown;
    enable.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous{};
    DWORD previousLength = 0;
    ::AdjustTokenPrivileges(token, FALSE, &enable, sizeof previous, &previous, &previousLength);
}

void RestartWindows(bool force) {
    const UINT flags = force ? EWX_REBOOT | EWX_FORCE : EWX_REBOOT;
    if (IsWindowsNT()) EnableShutdownPrivilege();
    ::ExitWindowsEx(flags, 0);
}

void Win32SystemRestart::RestartWindows(bool force) { orvh::RestartWindows(force); }

} // namespace orvh
