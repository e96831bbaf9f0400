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
    // Its access list lets others than SYSTEM, the administrators and the running user write,
    // make or delete entries, or change the list.
    bool othersMayChange = false;
};

enum class JournalFolderUse {
    Use,
    SecureFirst,  // used once it has the elevated run's security (owner and access list)
    Refuse,
};

// A link is never used. An elevated run uses a folder only others than SYSTEM, the
// administrators and its own user cannot change; one they can change, or that another owns, is
// given the run's security first, through the handle held.
JournalFolderUse UseJournalFolder(bool elevated, const JournalFolderFacts& facts);

// The security an elevated run gives the folder it creates (SDDL: full control for SYSTEM and
// the administrators only, nothing inherited from the temporary folder); none otherwise (the
// user's own temporary folder's).
std::optional<std::wstring> JournalFolderSecurity(bool elevated);

// The same with the administrators as owner: what an existing folder is given.
std::wstring JournalFolderResecurity();

} // namespace orvh
