#include "launched_program.h"

#include "system/win32_error_win32.h"

#include <vector>

namespace orvh::test {

LaunchedProgram::LaunchedProgram(const std::wstring& exePath, const std::wstring& tail,
                                 const std::wstring& workingFolder) {
    // With the application name given, the command line reaches the program unchanged.
    const std::wstring line = L"\"" + exePath + L"\" " + tail;
    std::vector<wchar_t> commandLine(line.begin(), line.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &started)) {
        ThrowLastError(L"CreateProcessW " + exePath);
    }
    process_.reset(started.hProcess);
    const UniqueHandle thread(started.hThread);
    processId_ = started.dwProcessId;
}

LaunchedProgram::~LaunchedProgram() {
    if (Running()) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 5000);
    }
}

bool LaunchedProgram::WaitForExit(std::chrono::milliseconds timeout) const {
    return ::WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

bool LaunchedProgram::Running() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

} // namespace orvh::test
