#include "main/own_folders.h"

#include "common/journal.h"
#include "system/file_system.h"
#include "system/folder_access.h"
#include "system/platform_error.h"

#include <utility>

namespace orvh {
namespace {

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::vector<std::pair<FolderRole, const std::wstring*>> SubFolders(const UpdateFolders& f) {
    return {{FolderRole::Vecchio, &f.vecchio}, {FolderRole::Corrente, &f.corrente}, {FolderRole::Nuovo, &f.nuovo},
            {FolderRole::Setup, &f.setup}};
}

// The entries of a folder just made the launcher's that an elevated run did not make go, rather
// than being given its list: one of them may be a hard link to a file elsewhere.
void RemoveForeignEntries(const std::wstring& folder, FileSystem& fileSystem, FolderAccess& access, Journal& journal) {
    for (const auto& name : access.ForeignEntries(folder)) {
        const std::wstring path = folder + L"\\" + name;
        journal.Write(Quoted(path) + L" was not made by a run with an administrator's rights: it is removed");
        if (fileSystem.FolderExists(path)) {
            fileSystem.DeleteFolder(path);
        } else {
            fileSystem.DeleteFile(path);
        }
    }
}

// Gives one held folder the access its step says; false when the run cannot go on with it.
bool SecureFolder(FolderRole role, const std::wstring& folder, bool elevated, FileSystem& fileSystem,
                  FolderAccess& access, Journal& journal) {
    switch (AccessStepOf(role, elevated)) {
    case FolderAccessStep::Keep: return true;
    case FolderAccessStep::RequireWrite:
        if (access.MayWriteIn(folder)) return true;
        journal.Write(Quoted(folder) + L" belongs to the launcher and this run, without an administrator's rights, "
                                       L"may not write there: nothing is installed");
        return false;
    case FolderAccessStep::Protect: break;
    }
    const Protection protection = access.Protect(folder);
    const std::wstring what = L"Protect folder " + Quoted(folder) + L" (SYSTEM and administrators only)";
    switch (protection.result) {
    case ProtectResult::Protected:
        journal.Write(what + L": done" +
                      (protection.privilege.empty() ? L""
                                                    : L", with " + protection.privilege +
                                                          L" (the folder's access list did not let this account change it)"));
        RemoveForeignEntries(folder, fileSystem, access, journal);
        return true;
    case ProtectResult::NotKept:
        journal.Write(what + L": this system keeps no access lists on files; the folder stays as it is");
        return true;
    case ProtectResult::Failed: break;
    }
    journal.Write(what + L": failed, error " + std::to_wstring(protection.error) + L"; nothing is installed");
    return false;
}

} // namespace

FolderAccessStep AccessStepOf(FolderRole role, bool elevated) {
    if (role == FolderRole::UpdateFolder || role == FolderRole::Nuovo) return FolderAccessStep::Keep;
    return elevated ? FolderAccessStep::Protect : FolderAccessStep::RequireWrite;
}

std::vector<FolderLink> LinksAmongSubFolders(const UpdateFolders& folders, const FileSystem& fileSystem) {
    std::vector<FolderLink> links;
    for (const auto& [role, path] : SubFolders(folders)) {
        if (auto target = fileSystem.LinkTarget(*path)) links.push_back({*path, std::move(*target)});
    }
    return links;
}

bool HoldOwnFolders(const UpdateFolders& folders, bool elevated, FileSystem& fileSystem, FolderAccess& access,
                    Journal& journal) {
    auto all = SubFolders(folders);
    all.insert(all.begin(), {FolderRole::UpdateFolder, &folders.root});
    // A folder moved away during the wait is not there to hold; the run then finds no update set.
    for (const auto& [role, path] : all) {
        if (!fileSystem.FolderExists(*path)) {
            journal.Write(Quoted(*path) + L" is gone: not held");
            return true;
        }
        // Made a link while the run waited.
        if (const auto target = fileSystem.LinkTarget(*path)) {
            journal.Write(Quoted(*path) + L" is a link to " + Quoted(*target) + L": nothing is installed");
            return false;
        }
        fileSystem.HoldFolder(*path);
    }
    journal.Write(L"The update folder and its sub-folders are held until the run ends");
    for (const auto& [role, path] : all) {
        if (!SecureFolder(role, *path, elevated, fileSystem, access, journal)) return false;
    }
    return true;
}

} // namespace orvh
