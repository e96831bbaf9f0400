#include "main/update_set.h"

#include "common/journal.h"
#include "installer/version.h"
#include "main/run_road.h"
#include "system/file_system.h"
#include "system/folder_identity.h"

namespace orvh {
namespace {

void DeleteIfPresent(FileSystem& fs, const std::wstring& path) {
    if (fs.FileExists(path)) fs.DeleteFile(path);
}

std::wstring Listed(const VersionKeys& keys) {
    return L"\"" + keys.fullPackage + L"\", \"" + keys.patchPackage + L"\", \"" + keys.updater + L"\"";
}

} // namespace

bool ShouldReplaceUpdater(std::wstring_view offeredVersion, std::wstring_view correnteVersion,
                          const std::wstring& programFolder, const UpdateFolders& folders,
                          const FolderIdentity& identity) {
    return VersionGreater(offeredVersion, correnteVersion) && !identity.SameFolder(programFolder, folders.corrente) &&
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
            if (!name.ends_with(kPartialCopySuffix) || !fs_.FileExists(path)) continue;
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

void UpdateSet::StageRepairPackage() {
    const std::wstring name = Name(SetRole::FullPackage);
    fs_.CopyFile(In(folders_.nuovo, name), In(folders_.corrente, name));
}

void UpdateSet::MoveOnToCorrente(std::wstring_view name) {
    const std::wstring current = In(folders_.corrente, name);
    const std::wstring offered = In(folders_.nuovo, name);
    if (fs_.FileExists(current)) {
        // Corrente holds it already when a run stopped after this copy; backing it up
        // would overwrite the copy from before this update set.
        if (fs_.SameContent(current, offered)) {
            journal_.Write(L"\"" + current + L"\" is already Nuovo's copy: not backed up into Vecchio, which keeps the copy from before this update set");
        } else {
            fs_.CopyFile(current, In(folders_.vecchio, name));
        }
    }
    fs_.CopyFile(offered, current);
}

void UpdateSet::StageFullPackage() { MoveOnToCorrente(Name(SetRole::FullPackage)); }

void UpdateSet::StagePatchPackage() { MoveOnToCorrente(Name(SetRole::Patch)); }

void UpdateSet::RotateUpdateSet(const RunRoad& road) {
    // Decided with the rest of the road, from the version read before the check: a launcher
    // dropped into Nuovo or announced anew since is not copied.
    if (road.replaceUpdater) MoveOnToCorrente(kLauncherFileName);
    if (fs_.FileExists(folders_.ConfigurationFile())) MoveOnToCorrente(kConfigurationFileName);
    for (const auto& name : FilesOfTheSet()) DeleteIfPresent(fs_, In(folders_.nuovo, name));
}

} // namespace orvh
