#pragma once
// What the update run asks of Windows Installer: the installed version, whether the
// installed product's package is still in its installation source, and installing a full
// package or applying a patch. Implemented over InstallerEngine and the file-system object.
#include <string>

namespace orvh {

// Installer user-interface levels the run installs with: basic interface with the cancel
// button hidden and progress only, and the installer's default.
inline constexpr int kUiLevelBasicProgressOnly = 99;
inline constexpr int kUiLevelDefault = 1;

class ProductInstaller {
public:
    virtual ~ProductInstaller() = default;
    // Canonical version of the first installed product matching name and upgrade code.
    virtual std::wstring GetInstalledVersion(const std::wstring& productName, const std::wstring& upgradeCode) = 0;
    virtual bool InstallSourceAvailable(const std::wstring& productName, const std::wstring& upgradeCode) = 0;
    // `verified`: the held file of the update set of which Windows Installer must receive an
    // exact copy; empty when the run verifies nothing.
    virtual bool InstallPackage(const std::wstring& packageName, const std::wstring& packageFolder,
                                const std::wstring& setupFolder, const std::wstring& properties, int uiLevel,
                                const std::wstring& verified) = 0;
    // The patch is applied from setupFolder\{installed product code}, next to a copy of the
    // installed product's package (`packageCopy` when the folder has none), which the patch's
    // reinstallation reads.
    virtual bool ApplyPatchPackage(const std::wstring& patchPath, const std::wstring& setupFolder,
                                   const std::wstring& packageCopy, int uiLevel, const std::wstring& verified) = 0;
};

} // namespace orvh
