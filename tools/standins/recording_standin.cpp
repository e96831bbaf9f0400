// The product or cluster tool: records how it was started (read by tools/delivery/started_programs.h),
// written under another name and renamed, so a reader never sees half a record.
#include "system/windows_api_win32.h"

#include <cstdio>
#include <string>

int wmain() {
    static wchar_t folder[32768];
    static wchar_t self[32768];
    if (!::GetEnvironmentVariableW(L"ORVH_STANDIN_LOG", folder, 32768)) return 1;
    ::GetModuleFileNameW(nullptr, self, 32768);
    STARTUPINFOW startup{};
    ::GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    const std::wstring record = std::wstring(self) + L"\n" + std::to_wstring(show) + L"\n" + ::GetCommandLineW();
    const std::wstring name = std::wstring(folder) + L"\\" + std::to_wstring(::GetCurrentProcessId());
    FILE* file = _wfopen((name + L".tmp").c_str(), L"wb");
    if (!file) return 2;
    std::fwrite(record.data(), sizeof(wchar_t), record.size(), file);
    std::fclose(file);
    return ::MoveFileW((name + L".tmp").c_str(), (name + L".txt").c_str()) ? 0 : 3;
}
