#include "system/program_start_win32.h"

#include "system/sized_text.h"
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
    if (!::CreateProcessW(applicationPath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started)) {
        ThrowLastError(L"StartProgram");
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
}

std::wstring SystemToolPath(std::wstring_view name) {
    const auto folder = SizedText([](wchar_t* buffer, std::size_t capacity) {
        const UINT length = ::GetSystemDirectoryW(buffer, static_cast<UINT>(capacity));
        // The length without the null when the path fitted, the size needed otherwise.
        return length == 0 ? 0 : length < capacity ? length + 1 : length;
    });
    if (!folder) ThrowLastError(L"GetSystemDirectoryW");
    return *folder + L"\\" + std::wstring(name);
}

void Win32ProgramStarter::Start(const std::wstring& applicationPath, const std::wstring& commandLine,
                                ShowCommand show) {
    StartProgram(applicationPath, commandLine, show);
}

} // namespace orvh
