#pragma once
// The update set on its way through the update folder: the edition's file names and version
// keys (as the set's rules give them), the versions announced in Nuovo\ORVHUpdate.cfg, the staging copies made before an
// installation and the rotation made after it.
#include "common/edition.h"
#include "main/update_folders.h"
#include "set_rules/set_files.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvh {

class FileSystem;
class FolderIdentity;
class Journal;
class OvFileIni;
struct RunRoad;
struct SetFile;

// The end of the name under which the run keeps, in Corrente, its one copy of a file of Nuovo.
inline constexpr std::wstring_view kVerificationCopySuffix = L".orvh-verified";

// Whether a newer updater from Nuovo replaces Corrente's copy: only when the version
// offered is greater than Corrente's, not below `floorVersion` (a signed launcher's own
// version, so that no older launcher returns, even where Corrente has none; empty for an
// unsigned one), and the running program does not live in Corrente, Vecchio or Nuovo,
// under whatever spelling it was started (short names, letter case, another name of the
// same folder).
bool ShouldReplaceUpdater(std::wstring_view offeredVersion, std::wstring_view correnteVersion,
                          std::wstring_view floorVersion, const std::wstring& programFolder,
                          const UpdateFolders& folders, const FolderIdentity& identity);

// Canonical version of an executable file, empty when it cannot be read.
using FileVersionReader = std::function<std::wstring(const std::wstring& path)>;

class UpdateSet {
public:
    UpdateSet(FileSystem& fileSystem, const OvFileIni& ini, UpdateFolders folders, Journal& journal);

    const UpdateFolders& Folders() const { return folders_; }
    // The file name of a role in the edition's set.
    std::wstring Name(SetRole role) const { return FileNameOf(role, edition_); }
    const VersionKeys& Keys() const { return keys_; }

    void SetPackageNames(Edition edition) { edition_ = edition; }
    // The keys the installed version (canonical) reads. A file that names versions only under the other keys was
    // written for another version, and the journal says so.
    void SelectVersionKeys(Edition edition, const std::wstring& installedVersion);
    // The version stored under `key` in Nuovo\ORVHUpdate.cfg; empty when missing.
    std::wstring ReadPackageVersion(const std::wstring& key) const;
    // Whether the last set delivered, Corrente's ORVHUpdate.cfg, is there and announces no full
    // package or patch above `installedVersion` under the keys that version reads: the update
    // was completed by an earlier run.
    bool CompletedEarlier(Edition edition, const std::wstring& installedVersion) const;

    // Removes the copies a run stopped part-way left under their partial names in Corrente,
    // Vecchio and the folders of Setup, and its verification copies; they are never used.
    void RemovePartialCopies();

    // Nuovo's files are read once, by these copies into Corrente, a folder only the launcher
    // writes: what is verified, held and copied on (into Corrente, Setup and the patch's
    // folder) is the verification copy, never Nuovo's file again.
    std::wstring VerificationCopy(std::wstring_view name) const;
    void TakeVerificationCopies(const std::vector<SetFile>& files);
    // Removes them once the run no longer needs them, whatever its end.
    void RemoveVerificationCopies();

    // Copy the package's verification copy into Corrente; the run's road says which, once it
    // found them in Nuovo.
    void StageRepairPackage();
    void StageFullPackage();
    void StagePatchPackage();

    // Moves the updater, when the road replaces it, and the configuration file on to
    // Corrente (their previous copies to Vecchio), removes the verification copies and clears
    // the update set's files from Nuovo.
    void RotateUpdateSet(const RunRoad& road);

private:
    std::wstring In(const std::wstring& folder, std::wstring_view name) const;
    // Copies `source` to Corrente\name, Corrente's previous copy going to Vecchio unless it is
    // already the source's: then Vecchio keeps the copy from before this update set.
    void MoveOnToCorrente(std::wstring_view name, const std::wstring& source);
    // Whether any of the keys names a version in the configuration file.
    bool NamesAVersion(const VersionKeys& keys) const;

    FileSystem& fs_;
    const OvFileIni& ini_;
    UpdateFolders folders_;
    Journal& journal_;
    Edition edition_ = Edition::Server;
    VersionKeys keys_;
};

} // namespace orvh
