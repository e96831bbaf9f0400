#pragma once
// What the update run needs of other processes and of the system: waiting for a process,
// pausing, starting a program without waiting for it, and restarting Windows.
#include <cstdint>
#include <functional>
#include <string>

namespace orvh {

// How a wait for a process ended: the exit code (0 when the process could not be opened), and
// why it could not be opened (a system error code; 0 when it was waited for).
struct ProcessWait {
    std::int32_t exitCode = 0;
    std::uint32_t openError = 0;
    bool operator==(const ProcessWait&) const = default;
};

class ProcessWaiter {
public:
    virtual ~ProcessWaiter() = default;
    // Waits for the process to end; goes on at once when the process cannot be opened. With
    // `wait` false the thread's window messages keep being handled meanwhile.
    virtual ProcessWait AttendiProcesso(std::int32_t processId, bool wait) = 0;
    // Suspends the thread; a negative length counts as 1 ms, 0 gives up the time slice.
    virtual void Pausa(std::int32_t milliseconds) = 0;
};

// The window show command of a started program.
enum class ShowCommand : std::int32_t { Normal = 1, Minimized = 2 };

class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // Starts a program and returns at once. `applicationPath` is the executable to run,
    // whatever the command line's first word. A refused start raises a PlatformError.
    virtual void Start(const std::wstring& applicationPath, const std::wstring& commandLine, ShowCommand show) = 0;
};

class SystemRestart {
public:
    virtual ~SystemRestart() = default;
    // Asks Windows to restart; `force` ends the running programs without asking them.
    // `asking` runs once the restart may be asked for, right before Windows is asked (a
    // restart with no delay may end the process before the request returns). Returns once
    // Windows has accepted; a refused restart raises a PlatformError whose source names the
    // call or the privilege that failed.
    virtual void RestartWindows(bool force, const std::function<void()>& asking) = 0;
};

} // namespace orvh
