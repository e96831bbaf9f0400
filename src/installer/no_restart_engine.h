#pragma once
// Where the run may not restart Windows, no installer call may either: without a user
// interface Windows Installer restarts the machine by itself for a package's ScheduleReboot
// or ForceReboot. REBOOT=ReallySuppress, asked of every call, stops it; the call
// then answers 3010 where a restart is needed.
#include "installer/installer_engine.h"

namespace orvh {

class NoRestartEngine final : public ForwardingEngine {
public:
    using ForwardingEngine::ForwardingEngine;
    unsigned InstallProduct(const std::wstring& packagePath, const InstallRequest& request) override {
        return inner_.InstallProduct(packagePath, WithoutRestart(request));
    }
    unsigned ApplyPatch(const std::wstring& patchPath, const InstallRequest& request) override {
        return inner_.ApplyPatch(patchPath, WithoutRestart(request));
    }

private:
    static InstallRequest WithoutRestart(InstallRequest request) {
        request.restartSuppressed = true;
        return request;
    }
};

} // namespace orvh
