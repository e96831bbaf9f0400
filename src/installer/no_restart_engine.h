#pragma once
// Where the run may not restart Windows, no installer call may either: without a user
// interface Windows Installer restarts the machine by itself for a package's ScheduleReboot
// or ForceReboot. REBOOT=ReallySuppress, added to every call's properties, stops it; the call
// then answers 3010 where a restart is needed.
#include "installer/installer_engine.h"

namespace orvh {

class NoRestartEngine final : public ForwardingEngine {
public:
    using ForwardingEngine::ForwardingEngine;
    unsigned InstallProduct(const std::wstring& packagePath, const std::wstring& properties) override {
        return inner_.InstallProduct(packagePath, WithoutRestart(properties));
    }
    unsigned ApplyPatch(const std::wstring& patchPath, const std::wstring& commandLine) override {
        return inner_.ApplyPatch(patchPath, WithoutRestart(commandLine));
    }

private:
    static std::wstring WithoutRestart(const std::wstring& properties) {
        return properties.empty() ? L"REBOOT=ReallySuppress" : properties + L" REBOOT=ReallySuppress";
    }
};

} // namespace orvh
