#include "installer/installation.h"

#include "common/edition.h"
#include "common/journal.h"
#include "installer/installer_engine.h"
#include "system/file_system.h"
#include "system/folder_identity.h"
#include "system/platform_error.h"
#include "system/signatures.h"

#include <utility>

namespace orvh {
namespace {

// The folder that holds `path`; empty for a root or a server name. A drive's root keeps
// its backslash, so that it names the root rather than the drive's current folder.
std::wstring ParentFolder(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    if (slash == std::wstring::npos || slash + 1 == path.size() || slash < path.find_first_not_of(L'\\')) return L"";
    std::wstring parent = path.substr(0, slash);
    if (parent.back() == L':') parent += L'\\';
    return parent;
}

} // namespace

bool InstallerSucceeded(unsigned resultCode) {
    return resultCode == kInstallerSuccess || resultCode == kRestartRequired || resultCode == kRestartInitiated;
}

InstallerOperations::InstallerOperations(InstallerEngine& installer, FileSystem& fileSystem,
                                         const FolderIdentity& folders, EnvironmentExpander expand,
                                         const LocaleConversions& numbers, std::wstring selectedUpgradeCode,
                                         SignatureVerifier& holds, Journal& journal)
    : installer_(installer), fileSystem_(fileSystem), folders_(folders),
      queries_{installer, fileSystem, std::move(expand), numbers}, selectedUpgradeCode_(std::move(selectedUpgradeCode)),
      holds_(holds), journal_(journal) {}

std::wstring InstallerOperations::GetInstalledVersion(const std::wstring& productName, const std::wstring& upgradeCode) {
    return orvh::GetInstalledVersion(queries_, productName, upgradeCode, true);
}

bool InstallerOperations::InstallSourceAvailable(const std::wstring& productName, const std::wstring& upgradeCode) {
    return orvh::InstallSourceAvailable(queries_, productName, upgradeCode);
}

std::wstring InstallerOperations::PreviousInstallSource() {
    const auto edition = EditionOf(selectedUpgradeCode_);
    if (!edition) return L"";
    return GetInstallSource(queries_, std::wstring(ProductNameOf(*edition)), std::wstring(UpgradeCodeOf(*edition)));
}

// Deleting `outer` would delete `folder` when it is that folder or one of its parents.
bool InstallerOperations::HoldsFolder(const std::wstring& outer, const std::wstring& folder) const {
    for (std::wstring candidate = folder; !candidate.empty(); candidate = ParentFolder(candidate)) {
        if (folders_.SameFolder(outer, candidate)) return true;
    }
    return false;
}

bool InstallerOperations::PlaceCopy(const std::wstring& source, const std::wstring& copy,
                                    const std::wstring& verified) {
    // The retry installs from the copy still held since the check, without copying again.
    if (!verified.empty() && heldCopies_.count(copy)) return true;
    // Made from the held file itself, which nobody else can change.
    fileSystem_.CopyFile(verified.empty() ? source : verified, copy);
    if (verified.empty()) return true;
    if (!holds_.HoldExactCopy(copy, verified)) {
        journal_.Write(L"\"" + copy + L"\" is not byte for byte the verified \"" + verified +
                       L"\": it is not given to Windows Installer");
        return false;
    }
    heldCopies_.insert(copy);
    return true;
}

bool InstallerOperations::PlacePackageBesidePatch(const InstalledPackage& product, const std::wstring& folder,
                                                  const std::wstring& packageCopy, bool hold) {
    const std::wstring package = folder + L"\\" + product.packageName;
    if (!product.packageName.empty() && fileSystem_.FileExists(package)) {
        fileSystem_.HoldFolder(folder);
        if (hold && heldCopies_.insert(package).second) holds_.Hold(package);
        return true;
    }
    const std::wstring copyCode = GetPackageProductCode(queries_, packageCopy);
    if (product.packageName.empty() || copyCode != product.productCode) {
        journal_.Write(L"No copy of the installed product's package for \"" + folder + L"\" (\"" + packageCopy + L"\" " +
                       (copyCode.empty() ? L"is missing" : L"is the package of " + copyCode) +
                       L"): the patch, whose reinstallation reads it, is not applied");
        return false;
    }
    if (!fileSystem_.FolderExists(folder)) fileSystem_.CreateFolder(folder);
    fileSystem_.HoldFolder(folder);
    if (hold) holds_.Hold(packageCopy);
    return PlaceCopy(packageCopy, package, hold ? packageCopy : L"");
}

// Only a folder directly in Setup is the launcher's own; a source elsewhere is wherever the
// product was first installed from (a share, a download folder) and is not the launcher's to delete.
void InstallerOperations::DeletePreviousSource(const std::wstring& previousSource, const std::wstring& cacheFolder,
                                               const std::wstring& setupFolder) {
    if (previousSource.empty() || HoldsFolder(previousSource, cacheFolder)) return;
    if (!folders_.SameFolder(ParentFolder(previousSource), setupFolder)) {
        journal_.Write(L"The previous installation source \"" + previousSource + L"\" is not a folder of \"" +
                       setupFolder + L"\": it is left as it is");
        return;
    }
    try {
        fileSystem_.DeleteFolder(previousSource);
    } catch (const PlatformError&) {
        // A source that stays behind costs only disk space.
    }
}

unsigned InstallerOperations::InstallPackage(const std::wstring& packageName, const std::wstring& packageFolder,
                                         const std::wstring& setupFolder, Reinstall reinstall, int uiLevel,
                                         const std::wstring& verified) {
    const std::wstring package = packageFolder + L"\\" + packageName;
    std::wstring previousSource;
    std::wstring cacheFolder;
    unsigned result = kInstallFailure;
    try {
        previousSource = PreviousInstallSource();
        const std::wstring productCode = GetPackageProductCode(queries_, verified.empty() ? package : verified);
        // A missing file or a package without product code cannot be installed.
        if (productCode.empty()) return kInstallFailure;
        // The code names a folder: anything but a GUID could name one outside Setup.
        if (!IsBracedGuid(productCode)) {
            journal_.Write(L"The product code \"" + productCode + L"\" of \"" + package +
                           L"\" is not a GUID in braces: it names no folder, the package is not installed");
            return kInstallFailure;
        }
        cacheFolder = setupFolder + L"\\" + productCode;
        if (const auto target = fileSystem_.LinkTarget(cacheFolder)) {
            journal_.Write(L"\"" + cacheFolder + L"\" is a link to \"" + *target + L"\": the package is not installed");
            return kInstallFailure;
        }
        if (!fileSystem_.FolderExists(cacheFolder)) fileSystem_.CreateFolder(cacheFolder);
        // Held while it is used, to the end of the run: it can be neither renamed nor replaced.
        fileSystem_.HoldFolder(cacheFolder);
        const std::wstring cachedPackage = cacheFolder + L"\\" + packageName;
        if (!PlaceCopy(package, cachedPackage, verified)) return kInstallFailure;
        installer_.SetUiLevel(uiLevel);
        result = installer_.InstallProduct(cachedPackage, {reinstall});
        if (!InstallerSucceeded(result)) return result;
    } catch (const PlatformError&) {
        return kInstallFailure;
    }
    // The product now comes from the cache folder; its previous source is no longer needed.
    DeletePreviousSource(previousSource, cacheFolder, setupFolder);
    return result;
}

unsigned InstallerOperations::ApplyPatchPackage(const std::wstring& patchPath, const std::wstring& setupFolder,
                                                const std::wstring& packageCopy, int uiLevel,
                                                const std::wstring& verified) {
    const auto edition = EditionOf(selectedUpgradeCode_);
    if (!edition) return kInstallFailure;
    try {
        const auto product =
            FindInstalledPackage(queries_, std::wstring(ProductNameOf(*edition)), std::wstring(UpgradeCodeOf(*edition)));
        if (!product) return kInstallFailure;
        if (!IsBracedGuid(product->productCode)) {
            journal_.Write(L"The installed product's code \"" + product->productCode +
                           L"\" is not a GUID in braces: it names no folder, the patch is not applied");
            return kInstallFailure;
        }
        const std::wstring folder = setupFolder + L"\\" + product->productCode;
        if (const auto target = fileSystem_.LinkTarget(folder)) {
            journal_.Write(L"\"" + folder + L"\" is a link to \"" + *target + L"\": the patch is not applied");
            return kInstallFailure;
        }
        if (!PlacePackageBesidePatch(*product, folder, packageCopy, !verified.empty())) return kInstallFailure;
        const std::wstring target = folder + L"\\" + FileSystem::GetFileName(patchPath);
        if (!PlaceCopy(patchPath, target, verified)) return kInstallFailure;
        // A product first installed from elsewhere finds its package here when the patch reinstalls.
        if (addedSource_ != folder && !folders_.SameFolder(product->source, folder)) {
            installer_.AddSource(product->productCode, folder);
            addedSource_ = folder;
        }
        installer_.SetUiLevel(uiLevel);
        return installer_.ApplyPatch(target, {Reinstall::Patch});
    } catch (const PlatformError&) {
        return kInstallFailure;
    }
}

} // namespace orvh
