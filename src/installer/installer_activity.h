#pragma once
// Whether another installation keeps Windows Installer busy, and the waits between two looks.
#include <cstdint>

namespace orvh {

class InstallerActivity {
public:
    virtual ~InstallerActivity() = default;
    // True while another installation runs its execute sequence. Asking never holds the
    // installer up.
    virtual bool OtherInstallationRunning() = 0;
    // Waits about `milliseconds`, the program's windows kept repainting meanwhile.
    virtual void Wait(std::int32_t milliseconds) = 0;
    // A clock in milliseconds that only goes forward.
    virtual std::int64_t Now() = 0;
};

} // namespace orvh
