#include "standins.h"

#include "test_paths.h"

#include "system/win32_error_win32.h"

#include <thread>

namespace orvh::test {

LaunchedProgram::LaunchedProgram(const std::wstring& exePath, const std::wstring& tail,
                                 const std::wstring& workingFolder) {
    // With the application name given, the command line reaches the program unchanged.
    std::wstring line = L"\"" + exePath + L"\" " + tail;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &started)) {
        ThrowLastError(L"CreateProcessW " + exePath);
    }
    process_.reset(started.hProcess);
    ::CloseHandle(started.hThread);
    processId_ = started.dwProcessId;
}

LaunchedProgram::~LaunchedProgram() {
    if (Running()) ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), 5000);
}

bool LaunchedProgram::WaitForExit(std::chrono::milliseconds timeout) const {
    return ::WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

std::wstring StandinPath(const std::wstring& relativePath) { return TestProgramFolder() + L"\\" + relativePath; }

Sleeper::Sleeper(std::chrono::milliseconds duration, std::uint32_t exitCode)
    : LaunchedProgram(StandinPath(L"sleeper_standin.exe"),
                      std::to_wstring(duration.count()) + L" " + std::to_wstring(exitCode)) {}

namespace {

std::vector<std::wstring> RecordFiles(const std::wstring& folder) {
    auto names = FolderEntries(folder);
    std::erase_if(names, [](const std::wstring& name) { return !name.ends_with(L".txt"); });
    return names;
}

// A record is UTF-16: the program, the show command and the command line, one a line.
StartRecord ReadRecord(const std::wstring& path) {
    const std::string bytes = ReadFileBytes(path);
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    const auto first = text.find(L'\n');
    const auto second = text.find(L'\n', first + 1);
    if (second == std::wstring::npos) return {L"(unreadable) " + path, -1, text};
    return {text.substr(0, first), std::stoi(text.substr(first + 1, second - first - 1)), text.substr(second + 1)};
}

} // namespace

std::vector<StartRecord> WaitForStartRecords(const std::wstring& folder, std::size_t expected,
                                             std::chrono::milliseconds timeout, std::chrono::milliseconds settle) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (RecordFiles(folder).size() < expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(settle);
    std::vector<StartRecord> records;
    for (const auto& name : RecordFiles(folder)) records.push_back(ReadRecord(folder + L"\\" + name));
    return records;
}

} // namespace orvh::test
