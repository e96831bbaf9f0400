#include "standins.h"

#include "system/win32_error_win32.h"
#include "test_paths.h"

#include <thread>
#include <vector>

namespace orvh::test {

std::wstring StandinPath(const std::wstring& relativePath) { return TestProgramFolder() + L"\\" + relativePath; }

Sleeper::Sleeper(std::chrono::milliseconds duration, std::uint32_t exitCode) {
    const std::wstring exe = StandinPath(L"sleeper_standin.exe");
    std::wstring line = L"\"" + exe + L"\" " + std::to_wstring(duration.count()) + L" " + std::to_wstring(exitCode);
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started)) {
        ThrowLastError(L"Sleeper");
    }
    process_.reset(started.hProcess);
    const UniqueHandle thread(started.hThread);
    id_ = started.dwProcessId;
}

Sleeper::~Sleeper() {
    if (!Ended()) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 5000);
    }
}

bool Sleeper::Ended() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }

bool Sleeper::WaitForEnd(std::chrono::milliseconds timeout) const {
    return ::WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

namespace {

std::vector<std::wstring> RecordFiles(const std::wstring& folder) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found{};
    const UniqueFind find(::FindFirstFileW((folder + L"\\*.txt").c_str(), &found));
    if (!find) return files;
    do {
        files.push_back(folder + L"\\" + found.cFileName);
    } while (::FindNextFileW(find.get(), &found));
    return files;
}

StartRecord ReadRecord(const std::wstring& path) {
    const std::string bytes = ReadFileBytes(path);
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    const auto first = text.find(L'\n');
    const auto second = text.find(L'\n', first + 1);
    if (first == std::wstring::npos || second == std::wstring::npos) return {L"(unreadable) " + path, -1, text};
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
    for (const auto& file : RecordFiles(folder)) records.push_back(ReadRecord(file));
    return records;
}

} // namespace orvh::test
