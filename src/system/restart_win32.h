#pragma once
// Restarting Windows, with the shutdown privilege enabled first where the system has one.
#include "system/processes.h"

namespace orvh {

// True on the Windows NT family, whose restart needs the shutdown privilege.
bool IsWindowsNT();

// Enables "SeShutdownPrivilege" in the process's token; a failure leaves it as it was.
void EnableShutdownPrivilege();

// Starts a restart (forced: running programs are ended without being asked) and returns;
// nothing is reported.
void RestartWindows(bool force);

class Win32SystemRestart final : public SystemRestart {
public:
    void RestartWindows(bool force) override;
};

} // namespace orvh
