#include "main/update_set.h"

#include "common/journal.h"
#include "installer/version.h"
#include "main/run_road.h"
#include "system/file_system.h"
#include "system/folder_identity.h"
#include "system/platform_error.h"

namespace orvh {
namespace {

// ERROR_FILE_CORRUPT: a copy that is not what it was copied from.
constexpr std::int32_t kFileCorrupt = 1392;

void DeleteIfPresent(FileSystem& fs, const std::wstring& path) {
    if (fs.FileExists(path)) fs.DeleteFile(path);
}

std::wstring Listed(const VersionKeys& keys) {
    return L"\"" + keys.fullPackage + L"\", \"" + keys.patchPackage + L"\", \"" + keys.updater + L"\"";
}

} // namespace

bool ShouldReplaceUpdater(std::wstring_view offeredVersion, std::wstring_view correnteVersion,
                          std::wstring_view floorVersion, const std::wstring& programFolder,
                          const UpdateFolders& folders, const FolderIdentity& identity) {
    return VersionGreater(offeredVersion, correnteVersion) && !VersionGreater(floorVersion, offeredVersion) &&
           !identity.SameFolder(programFolder, folders.corrente) &&
           !identity.SameFolder(programFolder, folders.vecchio) && !identity.SameFolder(programFolder, folders.nuovo);
}

UpdateSet::UpdateSet(FileSystem& fileSystem, const OvFileIni& ini, UpdateFolders folders, Journal& journal)
    : fs_(fileSystem), ini_(ini), folders_(std::move(folders)), journal_(journal) {}

std::wstring UpdateSet::In(const std::wstring& folder, std::wstring_view name) const {
    return folder + L"\\" + std::wstring(name);
}

void UpdateSet::SelectVersionKeys(Edition edition, const std::wstring& installedVersion) {
    keys_ = KeysRead(edition, installedVersion, [this](const std::wstring& key) { return ReadPackageVersion(key); });
    const VersionKeys other = keys_ == ArchiveKeys(edition) ? FileNameKeys(edition) : ArchiveKeys(edition);
    if (!NamesAVersion(keys_) && NamesAVersion(other)) {
        journal_.Write(L"The configuration file names no version under the keys the installed version reads (" +
                       Listed(keys_) + L"), only under " + Listed(other) +
                       L": it was written for another version of the product, so nothing of it is offered");
    }
}

bool UpdateSet::NamesAVersion(const VersionKeys& keys) const {
    return !ReadPackageVersion(keys.fullPackage).empty() || !ReadPackageVersion(keys.patchPackage).empty() ||
           !ReadPackageVersion(keys.updater).empty();
}

void UpdateSet::RemovePartialCopies() {
    std::vector<std::wstring> folders{folders_.corrente, folders_.vecchio};
    for (const auto& name : fs_.EntryNames(folders_.setup)) {
        const std::wstring folder = In(folders_.setup, name);
        if (const auto target = fs_.LinkTarget(folder)) {
            journal_.Write(L"\"" + folder + L"\" is a link to \"" + *target + L"\": not looked into");
        } else if (fs_.FolderExists(folder)) {
            folders.push_back(folder);
        }
    }
    for (const auto& folder : folders) {
        for (const auto& name : fs_.EntryNames(folder)) {
            const std::wstring path = In(folder, name);
            if (!(name.ends_with(kPartialCopySuffix) || name.ends_with(kVerificationCopySuffix)) ||
                !fs_.FileExists(path)) {
                continue;
            }
            journal_.Write(L"\"" + path + L"\" is a copy an interrupted run left unfinished: it is removed");
            fs_.DeleteFile(path);
        }
    }
}

std::wstring UpdateSet::ReadPackageVersion(const std::wstring& key) const {
    return ReadAnnouncedVersion(ini_, folders_.ConfigurationFile(), key);
}

bool UpdateSet::CompletedEarlier(Edition edition, const std::wstring& installedVersion) const {
    const std::wstring delivered = In(folders_.corrente, kConfigurationFileName);
    if (!fs_.FileExists(delivered)) return false;
    const auto read = [&](const std::wstring& key) { return ReadAnnouncedVersion(ini_, delivered, key); };
    const VersionKeys keys = KeysRead(edition, installedVersion, read);
    return !VersionGreater(read(keys.fullPackage), installedVersion) &&
           !VersionGreater(read(keys.patchPackage), installedVersion);
}

std::wstring UpdateSet::VerificationCopy(std::wstring_view name) const {
    return In(folders_.corrente, name) + std::wstring(kVerificationCopySuffix);
}

void UpdateSet::TakeVerificationCopies(const std::vector<SetFile>& files) {
    for (const auto& file : files) fs_.CopyFile(file.path, VerificationCopy(FileSystem::GetFileName(file.path)));
}

void UpdateSet::RemoveVerificationCopies() {
    for (const auto& name : fs_.EntryNames(folders_.corrente)) {
        if (name.ends_with(kVerificationCopySuffix)) DeleteIfPresent(fs_, In(folders_.corrente, name));
    }
}

void UpdateSet::StageRepairPackage() {
    const std::wstring name = Name(SetRole::FullPackage);
    fs_.CopyFile(VerificationCopy(name), In(folders_.corrente, name));
}

void UpdateSet::MoveOnToCorrente(std::wstring_view name, const std::wstring& source) {
    const std::wstring current = In(folders_.corrente, name);
    if (fs_.FileExists(current)) {
        // Corrente holds it already when a run stopped after this copy; backing it up
        // would overwrite the copy from before this update set.
        if (fs_.SameContent(current, source)) {
            journal_.Write(L"\"" + current + L"\" is already Nuovo's copy: not backed up into Vecchio, which keeps the copy from before this update set");
        } else {
            fs_.CopyFile(current, In(folders_.vecchio, name));
        }
    }
    fs_.CopyFile(source, current);
}

void UpdateSet::StageFullPackage() {
    MoveOnToCorrente(Name(SetRole::FullPackage), VerificationCopy(Name(SetRole::FullPackage)));
}

void UpdateSet::StagePatchPackage() { MoveOnToCorrente(Name(SetRole::Patch), VerificationCopy(Name(SetRole::Patch))); }

void UpdateSet::RotateUpdateSet(const RunRoad& road) {
    // Decided with the rest of the road, from the version read before the check: a launcher
    // dropped into Nuovo or announced anew since is not copied. The launcher the product
    // starts next is compared with its verification copy as the packages are.
    if (road.replaceUpdater) {
        const std::wstring verified = VerificationCopy(kLauncherFileName);
        MoveOnToCorrente(kLauncherFileName, verified);
        if (!fs_.SameContent(In(folders_.corrente, kLauncherFileName), verified)) {
            journal_.Write(L"\"" + In(folders_.corrente, kLauncherFileName) + L"\" is not byte for byte \"" + verified +
                           L"\": the update set stays in Nuovo");
            throw PlatformError(kFileCorrupt, L"CopyFile", L"The copy differs from the file it was copied from.");
        }
    }
    if (fs_.FileExists(folders_.ConfigurationFile())) {
        MoveOnToCorrente(kConfigurationFileName, folders_.ConfigurationFile());
    }
    // Gone while Nuovo still holds the set: a run stopped from here on is run again, and
    // that run removes what is left of them first.
    RemoveVerificationCopies();
    // The set's files of either edition go, full packages before patches, the configuration
    // file last: a run stopped part-way leaves a set the next run completes, never packages
    // without their versions.
    for (const auto& name : FilesOfTheSet()) DeleteIfPresent(fs_, In(folders_.nuovo, name));
}

} // namespace orvh
