#pragma once
// Restarting Windows on the Win32 API.
#include "system/processes.h"
#include "system/restart.h"

namespace orvh {

class Win32SystemRestart final : public SystemRestart, private ShutdownCalls {
public:
    void RestartWindows(bool force, const std::function<void()>& asking) override;

private:
    void EnableShutdownPrivilege() override;
    void AskShutdownService(bool force) override;
    void Pause(std::int32_t milliseconds) override;
};

} // namespace orvh
