#pragma once
// Windows Installer runs one installation's execute sequence at a time; another installation
// (Windows Update, a deployment system) makes an installation call fail with 1618. Before each
// installation or patch call the run waits while another installation runs, and waits again
// after a call that still answers 1618, within one bound for the whole run. Once the bound is
// spent the call answers 1618 without being made.
#include "common/journal.h"
#include "installer/installer_activity.h"
#include "installer/installer_engine.h"

#include <cstdint>
#include <functional>

namespace orvh {

// How often the run looks again while it waits.
inline constexpr std::int32_t kBusyPollMilliseconds = 500;

class BusyInstallerWait final : public ForwardingEngine {
public:
    BusyInstallerWait(InstallerEngine& inner, InstallerActivity& activity, std::int32_t boundSeconds, Journal& journal)
        : ForwardingEngine(inner), activity_(activity), boundMilliseconds_(std::int64_t{boundSeconds} * 1000),
          journal_(journal) {}

    unsigned InstallProduct(const std::wstring& packagePath, const InstallRequest& request) override;
    unsigned ApplyPatch(const std::wstring& patchPath, const InstallRequest& request) override;

private:
    unsigned WhenFree(const std::function<unsigned()>& call);
    // Waits while another installation runs; false when the bound was spent meanwhile.
    bool WaitWhileBusy();
    // One wait of at most a poll within what is left of the bound; false when nothing is left.
    bool WaitOnce();

    InstallerActivity& activity_;
    std::int64_t boundMilliseconds_;
    std::int64_t waited_ = 0; // in all, during this run
    Journal& journal_;
};

} // namespace orvh
