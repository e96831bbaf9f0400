#pragma once
// Restarting Windows, each step checked: the shutdown privilege enabled (an account without
// it, the default on Windows Server for non-administrators, is refused), then the request
// to the system's shutdown service, with a planned reason so that Windows does not log an
// unplanned shutdown. The service is asked in every session: the session's own shutdown can
// report success without restarting anything when the caller is not the interactive user.
// A refused step raises a PlatformError naming it, so the program goes on to the error
// report instead of ending as if Windows were restarting.
#include <cstdint>
#include <functional>

namespace orvh {

class ShutdownCalls {
public:
    virtual ~ShutdownCalls() = default;
    virtual void EnableShutdownPrivilege() = 0;
    // The system's shutdown service (`force`: running programs are ended without being
    // asked); a refusal raises a PlatformError carrying the system's error code.
    virtual void AskShutdownService(bool force) = 0;
    virtual void Pause(std::int32_t milliseconds) = 0;
};

// How often a service that is not ready yet is asked, half a second apart.
inline constexpr int kNotReadyAttempts = 10;

// Returns only once Windows has accepted the restart, or is restarting already
// (ERROR_SHUTDOWN_IN_PROGRESS); a service not ready yet (ERROR_NOT_READY) is asked again.
// `asking` runs once the privilege is held, before the service is first asked.
void RequestRestart(bool force, ShutdownCalls& calls, const std::function<void()>& asking);

} // namespace orvh
