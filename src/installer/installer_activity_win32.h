#pragma once
// Whether another installation runs its execute sequence, read from Windows Installer's
// Global\_MSIExecute mutex; the waits between two looks keep the program's windows painted.
#include "installer/installer_activity.h"
#include "system/message_pump.h"

namespace orvh {

class Win32InstallerActivity final : public InstallerActivity {
public:
    explicit Win32InstallerActivity(MessagePump& pump) : pump_(pump) {}
    bool OtherInstallationRunning() override;
    void Wait(std::int32_t milliseconds) override;
    std::int64_t Now() override;

private:
    MessagePump& pump_;
};

} // namespace orvh
