#include "installer/busy_installer.h"

#include "installer/product_installer.h"

#include <algorithm>
#include <string>

namespace orvh {
namespace {

std::wstring Seconds(std::int64_t milliseconds) {
    return std::to_wstring(milliseconds / 1000) + L"." + std::to_wstring(milliseconds % 1000 / 100) + L" s";
}

} // namespace

unsigned BusyInstallerWait::InstallProduct(const std::wstring& packagePath, const InstallRequest& request) {
    return WhenFree([&] { return inner_.InstallProduct(packagePath, request); });
}

unsigned BusyInstallerWait::ApplyPatch(const std::wstring& patchPath, const InstallRequest& request) {
    return WhenFree([&] { return inner_.ApplyPatch(patchPath, request); });
}

unsigned BusyInstallerWait::WhenFree(const std::function<unsigned()>& call) {
    for (;;) {
        if (!WaitWhileBusy()) return kInstallerBusy;
        const unsigned result = call();
        if (result != kInstallerBusy) return result;
        // Another installation began between the look and the call.
        journal_.Write(L"Windows Installer answered 1618, another installation is in progress: the call waits to be "
                       L"made again");
        if (!WaitOnce()) {
            journal_.Write(L"No time left of the " + Seconds(boundMilliseconds_) + L" the run may wait for Windows Installer");
            return kInstallerBusy;
        }
    }
}

bool BusyInstallerWait::WaitWhileBusy() {
    if (!activity_.OtherInstallationRunning()) return true;
    const std::int64_t before = waited_;
    journal_.Write(L"Another installation is running its execute sequence (Global\\_MSIExecute is held): waiting, " +
                   Seconds(boundMilliseconds_ - waited_) + L" left of the run's " + Seconds(boundMilliseconds_));
    do {
        if (!WaitOnce()) {
            journal_.Write(L"Windows Installer still busy after a wait of " + Seconds(waited_ - before) +
                           L": the run waits no longer");
            return false;
        }
    } while (activity_.OtherInstallationRunning());
    journal_.Write(L"The other installation ended after a wait of " + Seconds(waited_ - before));
    return true;
}

bool BusyInstallerWait::WaitOnce() {
    const std::int64_t left = boundMilliseconds_ - waited_;
    if (left <= 0) return false;
    const std::int64_t start = activity_.Now();
    activity_.Wait(static_cast<std::int32_t>(std::min<std::int64_t>(left, kBusyPollMilliseconds)));
    waited_ += std::max<std::int64_t>(activity_.Now() - start, 1);
    return true;
}

} // namespace orvh
