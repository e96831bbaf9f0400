#pragma once
// Programs a test starts: the program under test and the stand-ins of tools/standins.
#include "paths.h"

#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <chrono>
#include <cstdint>
#include <sstream>
#include <thread>

namespace orvh::test {

// A started program whose command line is its quoted path, a blank and the tail, on the given
// desktop and token (empty: the test's own); ended on destruction, so a failing test leaves nothing.
class LaunchedProgram {
public:
    LaunchedProgram(const std::wstring& exePath, const std::wstring& tail, const std::wstring& workingFolder = {},
                    std::wstring desktop = {}, HANDLE token = nullptr) {
        std::wstring line = L"\"" + exePath + L"\" " + tail;
        STARTUPINFOW startup{sizeof(STARTUPINFOW)};
        if (!desktop.empty()) startup.lpDesktop = desktop.data();
        PROCESS_INFORMATION started{};
        const wchar_t* folder = workingFolder.empty() ? nullptr : workingFolder.c_str();
        if (token ? !::CreateProcessAsUserW(token, exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                            folder, &startup, &started)
                  : !::CreateProcessW(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                                      &startup, &started)) {
            ThrowLastError(L"CreateProcessW " + exePath);
        }
        process_.reset(started.hProcess);
        ::CloseHandle(started.hThread);
    }
    ~LaunchedProgram() {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 5000);
    }
    DWORD ProcessId() const { return ::GetProcessId(process_.get()); }
    HANDLE Process() const { return process_.get(); }
    bool WaitForExit(std::chrono::milliseconds timeout) const {
        return ::WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
    }
    // The whole exit code, as a Windows process reads it (the Linux side gets its low 8 bits only).
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process_.get(), &code);
        return code;
    }

private:
    UniqueHandle process_;
};

struct Sleeper : LaunchedProgram {
    Sleeper(std::chrono::milliseconds duration, std::uint32_t exitCode)
        : LaunchedProgram(TestProgramFolder() + L"\\sleeper_standin.exe",
                          std::to_wstring(duration.count()) + L" " + std::to_wstring(exitCode)) {}
};

// How a recording stand-in was started (showCommand: -1 when the starter gave none).
struct StartRecord {
    std::wstring program;
    int showCommand = -1;
    std::wstring commandLine;
};

inline constexpr const wchar_t* kStandinLogVariable = L"ORVH_STANDIN_LOG"; // names their folder

// The records once `expected` of them are there (or 15 s have passed), plus any that arrive
// within half a second after that, so that an unexpected extra start shows.
inline std::vector<StartRecord> WaitForStartRecords(const std::wstring& folder, std::size_t expected) {
    const auto read = [&] {
        std::vector<StartRecord> records;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() != L".txt") continue;
            const std::string bytes = ReadFileBytes(entry.path().wstring());
            std::wistringstream lines(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2));
            StartRecord& record = records.emplace_back();
            std::getline(lines, record.program);
            lines >> record.showCommand;
            lines.ignore();
            std::getline(lines, record.commandLine, L'\0');
        }
        return records;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (read().size() < expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return read();
}

} // namespace orvh::test
