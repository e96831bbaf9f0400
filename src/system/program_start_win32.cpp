#include "system/program_start_win32.h"

#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <vector>

namespace orvh {

void StartProgram(const std::wstring& applicationPath, const std::wstring& commandLine, ShowCommand show) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);

    // CreateProcessW may write into the command line it is given.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');

    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(applicationPath.empty() ? nullptr : applicationPath.c_str(), line.data(), nullptr, nullptr,
                          FALSE, 0, nullptr, nullptr, &startup, &started)) {
        ThrowLastError(L"StartProgram");
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
}

void Win32ProgramStarter::Start(const std::wstring& applicationPath, const std::wstring& commandLine,
                                ShowCommand show) {
    StartProgram(applicationPath, commandLine, show);
}

} // namespace orvh
