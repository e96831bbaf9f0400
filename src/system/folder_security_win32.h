#pragma once
// What a handle opened on a path really reaches, and the access lists set through a held
// handle: shared by the file system's adapter and the journal's folder.
#include "system/windows_api_win32.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvh {

// The handle's path as the system reports it, without the "\\?\" prefix ("\\?\UNC\" gives
// "\\"); nullopt when it cannot tell.
std::optional<std::wstring> FinalPathOf(HANDLE handle);

// Whether two paths are one text, letter case aside.
bool SamePathText(std::wstring_view a, std::wstring_view b);

// Opens the entry at `path` itself, not what a link there leads to, with `access`, every
// sharing allowed unless `shareDelete` is false.
HANDLE OpenEntryItself(const std::wstring& path, DWORD access, bool shareDelete = true);

enum class LinkKind {
    None,
    Itself,    // a name-surrogate reparse point (junction, symbolic link, mount point) that the
               // handle reaches itself
    Followed,  // the handle reached another path than the one opened: a link on the way was
               // followed although it was asked not to be (Wine with a host's symbolic link)
};

// What the entry opened at `path` through `handle` (see OpenEntryItself) is.
LinkKind LinkKindOf(HANDLE handle, const std::wstring& path);

// Where a link at `path` leads: the final path of the entry reached by following it; empty
// text when it leads nowhere reachable.
std::wstring LinkDestination(const std::wstring& path);

// Sets the security descriptor of `sddl` (owner and a protected access list) on the object
// behind `handle` alone: no propagation to what the folder already holds. Returns 0, or the
// system's error; ERROR_NOT_SUPPORTED when the system took the list but kept another.
DWORD SetOwnSecurity(HANDLE handle, const wchar_t* sddl);

// As SetOwnSecurity, on the folder `held` at `path` (held by the caller, so that its name cannot be
// given to another meanwhile); where its list denies this account the right to change it, with a
// privilege of the process's token: SeRestorePrivilege, else SeTakeOwnershipPrivilege (the owner
// may always change the list), each enabled only for the call. `used` names the one that served;
// ERROR_ACCESS_DENIED when the token holds neither or neither served.
DWORD SetOwnSecurityWithPrivilege(HANDLE held, const std::wstring& path, const wchar_t* sddl, std::wstring& used);

enum class SidKind { SystemOrAdministrators, RunningUser, Other };

// The owner of the object behind `handle`; one that cannot be read counts as someone else.
SidKind OwnerKind(HANDLE handle);

// Whether the object's access list lets anyone but SYSTEM, the administrators and the running
// user write, make or delete entries, or change the list itself. A list that cannot be read
// counts as open to others.
bool OthersMayChange(HANDLE handle);

} // namespace orvh
