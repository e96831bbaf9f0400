#pragma once
// Restarting Windows on the Win32 API.
#include "system/processes.h"
#include "system/restart.h"

namespace orvh {

class Win32SystemRestart final : public SystemRestart, private ShutdownCalls {
public:
    explicit Win32SystemRestart(SessionKind kind) : kind_(kind) {}
    void RestartWindows(bool force) override;

private:
    void EnableShutdownPrivilege() override;
    void EndSession(bool force) override;
    void AskShutdownService(bool force) override;

    SessionKind kind_;
};

} // namespace orvh
