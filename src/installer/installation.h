#pragma once
// The installer operations of the update run over Windows Installer and the file-system
// object. Nothing is written outside the update folder. A full package is always installed
// from its own copy in the installation source cache (setup folder, "\", product code), which
// Windows Installer then records as the product's installation source. A patch is applied
// from a copy in setup folder, "\", the installed product's code, next to a copy of the
// package the product was installed from (the patch's reinstallation reads it); that folder
// is added to the product's sources when the product came from elsewhere (a share it was
// first installed from by hand). The edition is the one the selected upgrade code names.
//
// When the run verified the file, the copy Windows Installer receives is held (readable, not
// writable, not deletable) and checked to be that verified file byte for byte before the
// call, as is the package copy beside a patch against the file it comes from. Every held copy
// stays held until the process ends: through the retry, which uses it again without copying,
// and through every later installer call of the run.
#include "installer/installed_product.h"
#include "installer/product_installer.h"

#include <set>
#include <string>

namespace orvh {

class FileSystem;
class FolderIdentity;
class InstallerEngine;
class Journal;
class LocaleConversions;
class SignatureVerifier;

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
                        const std::wstring& setupFolder, Reinstall reinstall, int uiLevel,
                        const std::wstring& verified) override;
    // Copies the patch into setupFolder\{installed product code} and applies it from there;
    // 1603 without edition or installed product, without a copy of the product's package
    // there or in `packageCopy`, or when any step fails.
    unsigned ApplyPatchPackage(const std::wstring& patchPath, const std::wstring& setupFolder,
                           const std::wstring& packageCopy, int uiLevel, const std::wstring& verified) override;

private:
    std::wstring PreviousInstallSource();
    bool HoldsFolder(const std::wstring& outer, const std::wstring& folder) const;
    // Copies `source` to `copy`, the file Windows Installer is given; false when a verified
    // file's copy is not that file byte for byte.
    bool PlaceCopy(const std::wstring& source, const std::wstring& copy, const std::wstring& verified);
    // Makes sure `folder` holds the installed product's package, copied from `packageCopy`
    // when it is that product's; the folder held, the package too when `hold`. False,
    // journaled, when there is none.
    bool PlacePackageBesidePatch(const InstalledPackage& product, const std::wstring& folder,
                                 const std::wstring& packageCopy, bool hold);
    void DeletePreviousSource(const std::wstring& previousSource, const std::wstring& cacheFolder,
                              const std::wstring& setupFolder);

    InstallerEngine& installer_;
    FileSystem& fileSystem_;
    const FolderIdentity& folders_;
    InstalledProductQueries queries_;
    std::wstring selectedUpgradeCode_;
    SignatureVerifier& holds_;
    Journal& journal_;
    std::set<std::wstring> heldCopies_; // the copies Windows Installer may read, held
    std::wstring addedSource_;          // the folder added to the product's sources
};

} // namespace orvh
