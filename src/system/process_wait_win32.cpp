#include "system/process_wait_win32.h"

#include "system/unique_handles_win32.h"

namespace orvh {
namespace {

// Only what the wait needs: a product running elevated or under another account grants
// these where it refuses all access, and the update must not begin while it runs.
constexpr DWORD kWaitAccess = SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION;

// Reads the exit code into `exitCode`; a failed read leaves it as it was.
void ReadExitCode(HANDLE process, std::int32_t& exitCode) {
    DWORD code = 0;
    if (::GetExitCodeProcess(process, &code)) exitCode = static_cast<std::int32_t>(code);
}

} // namespace

ProcessWait AttendiProcesso(std::int32_t processId, bool wait, MessagePump& pump) {
    const UniqueHandle process(::OpenProcess(kWaitAccess, FALSE, static_cast<DWORD>(processId)));
    if (!process) return {0, ::GetLastError()};

    std::int32_t exitCode = 0;
    if (wait) {
        if (::WaitForSingleObject(process.get(), INFINITE) == WAIT_FAILED) return {};
        ReadExitCode(process.get(), exitCode);
        return {exitCode};
    }

    ReadExitCode(process.get(), exitCode);
    while (exitCode == static_cast<std::int32_t>(STILL_ACTIVE)) {
        pump.ProcessPendingMessages();
        // Sleeps until the process ends or a message arrives for the thread's windows, so
        // that waiting on a busy server costs no processor time.
        const HANDLE handles[] = {process.get()};
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(1, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        ReadExitCode(process.get(), exitCode);
        // A process that ended with the code 259 itself has still ended.
        if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED) break;
    }
    return {exitCode};
}

void Pausa(std::int32_t milliseconds) { ::SleepEx(milliseconds < 0 ? 1 : static_cast<DWORD>(milliseconds), FALSE); }

ProcessWait Win32ProcessWaiter::AttendiProcesso(std::int32_t processId, bool wait) {
    return orvh::AttendiProcesso(processId, wait, pump_);
}

void Win32ProcessWaiter::Pausa(std::int32_t milliseconds) { orvh::Pausa(milliseconds); }

} // namespace orvh
