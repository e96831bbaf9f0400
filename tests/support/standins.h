#pragma once
// Programs a test starts: the program under test, and the stand-ins of tests/standins - a
// sleeper to wait for, and the product and cluster tool that record how they were started.
#include "system/unique_handles_win32.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace orvh::test {

// A started program: its command line is the quoted executable path, a blank and the tail
// exactly as given. Ended on destruction if it still runs, so a failing test leaves nothing.
class LaunchedProgram {
public:
    LaunchedProgram(const std::wstring& exePath, const std::wstring& tail, const std::wstring& workingFolder = {});
    ~LaunchedProgram();
    LaunchedProgram(const LaunchedProgram&) = delete;
    LaunchedProgram& operator=(const LaunchedProgram&) = delete;

    DWORD ProcessId() const { return processId_; }
    HANDLE Process() const { return process_.get(); }
    // True when the program has ended within `timeout`.
    bool WaitForExit(std::chrono::milliseconds timeout) const;
    bool Running() const { return !WaitForExit(std::chrono::milliseconds(0)); }

private:
    UniqueHandle process_;
    DWORD processId_ = 0;
};

// A stand-in's path in the test programs' folder (the cluster tool: cluster\Cluster.exe).
std::wstring StandinPath(const std::wstring& relativePath);

// The sleeper stand-in: sleeps `duration`, then ends with `exitCode`.
class Sleeper : public LaunchedProgram {
public:
    Sleeper(std::chrono::milliseconds duration, std::uint32_t exitCode);
    std::int32_t Id() const { return static_cast<std::int32_t>(ProcessId()); }
    bool Ended() const { return !Running(); }
    bool WaitForEnd(std::chrono::milliseconds timeout) const { return WaitForExit(timeout); }
};

// How a recording stand-in was started.
struct StartRecord {
    std::wstring program;     // its own full path
    int showCommand = -1;     // wShowWindow, or -1 when the starter gave none
    std::wstring commandLine; // exactly as received
};

// The environment variable naming the folder that recording stand-ins write into.
inline constexpr const wchar_t* kStandinLogVariable = L"ORVH_STANDIN_LOG";

// The records in `folder` once `expected` of them are there (or `timeout` has passed), plus
// any that arrive within `settle` after that, so that an unexpected extra start shows.
std::vector<StartRecord> WaitForStartRecords(const std::wstring& folder, std::size_t expected,
                                             std::chrono::milliseconds timeout, std::chrono::milliseconds settle);

} // namespace orvh::test
