#pragma once
// What the update run asks of Windows Installer: the installed version, whether the
// installed product's package is still in its installation source, and installing a full
// package or applying a patch. Implemented over InstallerEngine and the file-system object.
#include "installer/installer_engine.h"

#include <string>

namespace orvh {

// Installer user-interface levels the run installs with: basic interface with the cancel
// button hidden and progress only, and the installer's default.
inline constexpr int kUiLevelBasicProgressOnly = 99;
inline constexpr int kUiLevelDefault = 1;

// Windows Installer's result codes the run tells apart. A failure of the launcher's own before
// the call (a package without product code, a copy refused) is reported as the installation's
// fatal error, 1603.
inline constexpr unsigned kInstallerSuccess = 0;
inline constexpr unsigned kInstallFailure = 1603;
inline constexpr unsigned kInstallerBusy = 1618;       // another installation is in progress
inline constexpr unsigned kRestartInitiated = 1641;    // done, and the installer started a restart
inline constexpr unsigned kRestartRequired = 3010;     // done, a restart completes it

// Whether a result code means the installation or patch took place. A restart that is
// required or already initiated does not undo it.
bool InstallerSucceeded(unsigned resultCode);

class ProductInstaller {
public:
    virtual ~ProductInstaller() = default;
    // Canonical version of the first installed product matching name and upgrade code.
    virtual std::wstring GetInstalledVersion(const std::wstring& productName, const std::wstring& upgradeCode) = 0;
    virtual bool InstallSourceAvailable(const std::wstring& productName, const std::wstring& upgradeCode) = 0;
    // `reinstall`: none for an installation, the lost source for its repair. `verified`: the held
    // file of the update set of which Windows Installer must receive an exact copy; empty when
    // the run verifies nothing. Both return the installer's result code.
    virtual unsigned InstallPackage(const std::wstring& packageName, const std::wstring& packageFolder,
                                const std::wstring& setupFolder, Reinstall reinstall, int uiLevel,
                                const std::wstring& verified) = 0;
    // The patch is applied from setupFolder\{installed product code}, next to a copy of the
    // installed product's package (`packageCopy` when the folder has none), which the patch's
    // reinstallation reads.
    virtual unsigned ApplyPatchPackage(const std::wstring& patchPath, const std::wstring& setupFolder,
                                          const std::wstring& packageCopy, int uiLevel, const std::wstring& verified) = 0;
};

} // namespace orvh
