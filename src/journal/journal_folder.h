#pragma once
// Whether the folder the journal goes to may be used. A run with an administrator's rights or
// SYSTEM's writes its journal, Windows Installer's log and deletes old journals there, so a
// folder another user made first (a link to elsewhere, or a folder of theirs whose contents
// they can swap) would let them direct those writes and deletions.
#include <optional>
#include <string>

namespace orvh {

enum class FolderOwner { SystemOrAdministrators, RunningUser, Other };

// What the folder is, as seen through the handle the run then keeps open.
struct JournalFolderFacts {
    bool folder = true;  // not a file
    bool link = false;   // a reparse point: a junction or a symbolic link
    FolderOwner owner = FolderOwner::RunningUser;
};

// A link is never used; an elevated run uses only a folder of SYSTEM's, the administrators'
// or its own user's.
bool UseJournalFolder(bool elevated, const JournalFolderFacts& facts);

// The security an elevated run gives the folder it creates (SDDL: full control for SYSTEM and
// the administrators only, nothing inherited from the temporary folder); none otherwise (the
// user's own temporary folder's).
std::optional<std::wstring> JournalFolderSecurity(bool elevated);

} // namespace orvh
