#pragma once
// Restarting Windows, each step checked: the shutdown privilege enabled (an account without
// it, the default on Windows Server for non-administrators, is refused), then the request,
// with a planned reason so that Windows does not log an unplanned shutdown. From a session
// nobody sees the request goes to the system's shutdown service: the session's own shutdown
// there can report success without restarting anything. A refused step raises a
// PlatformError naming it, so the program goes on to the error report instead of ending
// as if Windows were restarting.
#include "system/session.h"

namespace orvh {

class ShutdownCalls {
public:
    virtual ~ShutdownCalls() = default;
    virtual void EnableShutdownPrivilege() = 0;
    // The session's own shutdown (`force`: running programs are ended without being asked).
    virtual void EndSession(bool force) = 0;
    // The system's shutdown service, which any session may ask.
    virtual void AskShutdownService(bool force) = 0;
};

// Returns only once Windows has accepted the restart.
void RequestRestart(SessionKind kind, bool force, ShutdownCalls& calls);

} // namespace orvh
