#include "installer/installer_engine.h"

namespace orvh {

std::wstring PropertiesOf(const InstallRequest& request) {
    std::wstring properties;
    switch (request.reinstall) {
    case Reinstall::None: break;
    case Reinstall::LostSource: properties = L"REINSTALL=ALL REINSTALLMODE=dmus"; break;
    case Reinstall::Patch: properties = L"REINSTALL=ALL REINSTALLMODE=emus"; break;
    }
    if (request.restartSuppressed) properties += properties.empty() ? L"REBOOT=ReallySuppress" : L" REBOOT=ReallySuppress";
    return properties;
}

} // namespace orvh
