#include "system/restart.h"

namespace orvh {

void RequestRestart(SessionKind kind, bool force, ShutdownCalls& calls) {
    calls.EnableShutdownPrivilege();
    if (kind == SessionKind::Interactive) {
        calls.EndSession(force);
    } else {
        calls.AskShutdownService(force);
    }
}

} // namespace orvh
