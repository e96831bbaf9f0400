#pragma once
// A program started by a test: its command line is the quoted executable path, a blank
// and the tail exactly as given. The program is ended on destruction if it still runs,
// so a failing test never leaves it behind.
#include "system/unique_handles_win32.h"

#include <chrono>
#include <string>

namespace orvh::test {

class LaunchedProgram {
public:
    // Starts `exePath` with the tail; in `workingFolder` when it is not empty.
    LaunchedProgram(const std::wstring& exePath, const std::wstring& tail, const std::wstring& workingFolder = {});
    ~LaunchedProgram();
    LaunchedProgram(const LaunchedProgram&) = delete;
    LaunchedProgram& operator=(const LaunchedProgram&) = delete;

    DWORD ProcessId() const { return processId_; }
    HANDLE Process() const { return process_.get(); }

    // True when the program has ended within `timeout`.
    bool WaitForExit(std::chrono::milliseconds timeout) const;
    bool Running() const;

private:
    UniqueHandle process_;
    DWORD processId_ = 0;
};

} // namespace orvh::test
