#pragma once
// The launcher's own folders kept its own: where a folder named by a path really is,
// whether this process may write in it, and the access list an elevated run gives the
// folders only the launcher writes (Corrente, Vecchio, Setup and the folders made in Setup).
#include <optional>
#include <string>
#include <vector>

namespace orvh {

enum class ProtectResult {
    Protected,  // the folder has the launcher's access list
    NotKept,    // the system took the list but keeps none (a file system without access lists)
    Failed,
};

struct Protection {
    ProtectResult result = ProtectResult::Failed;
    unsigned long error = 0;  // the system's error number when it failed
    // The privilege the list was set with, when the folder's own list did not let this account
    // change it (a folder another account made); empty when its own access sufficed.
    std::wstring privilege = L"";
};

class FolderAccess {
public:
    virtual ~FolderAccess() = default;
    // The folder's path with every link on the way resolved, as the system reports it;
    // nullopt when the folder cannot be opened.
    virtual std::optional<std::wstring> FinalPath(const std::wstring& folder) const = 0;
    // Whether this process may make and delete entries in the folder.
    virtual bool MayWriteIn(const std::wstring& folder) const = 0;
    // Gives a folder the file system holds the launcher's access list, through the handle it
    // holds: SYSTEM and the administrators full control and owner, the users read and
    // execute, nothing inherited. The list reaches the folder only: the entries already in it
    // keep theirs (see ForeignEntries); what is made in it later inherits it. Where the folder's
    // list denies this account the right to change it, a privilege the process's token holds
    // gives it: restore (an open for backup semantics), else taking ownership.
    virtual Protection Protect(const std::wstring& heldFolder) = 0;
    // The names of the entries of a folder whose owner is neither SYSTEM, the administrators
    // nor the account this process runs as: no elevated run made them.
    virtual std::vector<std::wstring> ForeignEntries(const std::wstring& folder) const = 0;
};

} // namespace orvh
