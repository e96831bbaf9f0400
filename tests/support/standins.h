#pragma once
// The stand-in programs of tests/standins, as the process tests use them: a sleeper to
// wait for, and the records that the product and cluster stand-ins leave of their start.
#include "system/unique_handles_win32.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace orvh::test {

// A stand-in's path in the test programs' folder (the cluster tool: cluster\Cluster.exe).
std::wstring StandinPath(const std::wstring& relativePath);

// A running sleeper stand-in: it sleeps `duration`, then ends with `exitCode`. Ended on
// destruction if it still runs, so a failing test leaves nothing behind.
class Sleeper {
public:
    Sleeper(std::chrono::milliseconds duration, std::uint32_t exitCode);
    ~Sleeper();
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;

    std::int32_t Id() const { return static_cast<std::int32_t>(id_); }
    HANDLE Process() const { return process_.get(); }
    bool Ended() const;
    // True when it has ended within `timeout`.
    bool WaitForEnd(std::chrono::milliseconds timeout) const;

private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

// How a recording stand-in was started.
struct StartRecord {
    std::wstring program;     // its own full path
    int showCommand = -1;     // wShowWindow, or -1 when the starter gave none
    std::wstring commandLine; // exactly as received
};

// The environment variable naming the folder that recording stand-ins write into.
inline constexpr const wchar_t* kStandinLogVariable = L"ORVH_STANDIN_LOG";

// The records in `folder` once `expected` of them are there (or `timeout` has passed),
// plus any that arrive within `settle` after that, so that an unexpected extra start shows.
std::vector<StartRecord> WaitForStartRecords(const std::wstring& folder, std::size_t expected,
                                             std::chrono::milliseconds timeout, std::chrono::milliseconds settle);

} // namespace orvh::test
