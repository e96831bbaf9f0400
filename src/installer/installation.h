#pragma once
// The installer operations of the update run over Windows Installer and the file-system
// object. A full package is always installed from its own copy in the installation source
// cache (setup folder, "\", product code), which Windows Installer then records as the
// product's installation source; a patch is applied from a copy placed in the installed
// product's installation source, next to the package it was installed from. The edition
// whose source is used is the one the selected upgrade code names.
//
// When the run verified the file, the copy Windows Installer receives is held (readable, not
// writable, not deletable) and checked to be that verified file byte for byte before the
// call; it stays held through the retry, which uses it again without copying, and is released
// when the next copy is placed.
#include "installer/installed_product.h"
#include "installer/product_installer.h"

#include <string>

namespace orvh {

class FileSystem;
class FolderIdentity;
class InstallerEngine;
class Journal;
class LocaleConversions;
class SignatureVerifier;

// Property string of every patch: files missing or of an equal or older version, registry
// data and shortcuts are reinstalled.
inline constexpr wchar_t kPatchReinstall[] = L"REINSTALL=ALL REINSTALLMODE=emus";

class InstallerOperations final : public ProductInstaller {
public:
    InstallerOperations(InstallerEngine& installer, FileSystem& fileSystem, const FolderIdentity& folders,
                        EnvironmentExpander expand, const LocaleConversions& numbers,
                        std::wstring selectedUpgradeCode, SignatureVerifier& holds, Journal& journal);

    std::wstring GetInstalledVersion(const std::wstring& productName, const std::wstring& upgradeCode) override;
    bool InstallSourceAvailable(const std::wstring& productName, const std::wstring& upgradeCode) override;
    // Installs packageFolder\packageName from a copy in setupFolder\{product code}. After a successful installation the product's previous
    // installation source folder is deleted when the launcher made it, a folder directly in
    // setupFolder other than the cache folder; any other is left, and the journal says so.
    unsigned InstallPackage(const std::wstring& packageName, const std::wstring& packageFolder,
                        const std::wstring& setupFolder, const std::wstring& properties, int uiLevel,
                        const std::wstring& verified) override;
    // Copies the patch into the installation source of the selected edition and applies it
    // from there; 1603 without edition, without source, or when a step before the call fails.
    unsigned ApplyPatchPackage(const std::wstring& patchPath, int uiLevel, const std::wstring& verified) override;

private:
    std::wstring PreviousInstallSource();
    bool HoldsFolder(const std::wstring& outer, const std::wstring& folder) const;
    // Copies `source` to `copy`, the file Windows Installer is given; false when a verified
    // file's copy is not that file byte for byte.
    bool PlaceCopy(const std::wstring& source, const std::wstring& copy, const std::wstring& verified);
    void DeletePreviousSource(const std::wstring& previousSource, const std::wstring& cacheFolder,
                              const std::wstring& setupFolder);

    InstallerEngine& installer_;
    FileSystem& fileSystem_;
    const FolderIdentity& folders_;
    InstalledProductQueries queries_;
    std::wstring selectedUpgradeCode_;
    SignatureVerifier& holds_;
    Journal& journal_;
    std::wstring heldCopy_; // the copy last handed to Windows Installer, while it is held
};

} // namespace orvh
