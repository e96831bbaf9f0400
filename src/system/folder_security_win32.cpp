#include "system/folder_security_win32.h"

#include "system/file_system_win32.h"
#include "system/sized_text.h"
#include "system/unique_handles_win32.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

namespace orvh {
namespace {

// The path's full form, without the "\\?\" prefix, for comparing with a final path.
std::wstring Comparable(std::wstring path) {
    if (path.starts_with(L"\\\\?\\UNC\\")) {
        path.replace(0, 8, L"\\\\");
    } else if (path.starts_with(L"\\\\?\\")) {
        path.erase(0, 4);
    }
    return path;
}

bool IsWellKnown(PSID sid) {
    return ::IsWellKnownSid(sid, WinLocalSystemSid) || ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
}

bool IsRunningUser(PSID sid) {
    UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
    alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    if (!::GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size)) return false;
    return ::EqualSid(sid, reinterpret_cast<const TOKEN_USER*>(user)->User.Sid);
}

// A privilege of the process's token enabled for the scope, when the token holds it; its
// earlier state comes back at the end.
class EnabledPrivilege {
public:
    explicit EnabledPrivilege(const wchar_t* name) {
        TOKEN_PRIVILEGES enable{};
        enable.PrivilegeCount = 1;
        enable.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        DWORD size = sizeof previous_;
        // The call succeeds for a privilege the token does not hold, and says so only by the last error.
        enabled_ = ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token_.put()) &&
                   ::LookupPrivilegeValueW(nullptr, name, &enable.Privileges[0].Luid) &&
                   ::AdjustTokenPrivileges(token_.get(), FALSE, &enable, sizeof previous_, &previous_, &size) &&
                   ::GetLastError() == ERROR_SUCCESS;
    }
    ~EnabledPrivilege() {
        if (enabled_) ::AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
    }
    EnabledPrivilege(const EnabledPrivilege&) = delete;
    EnabledPrivilege& operator=(const EnabledPrivilege&) = delete;
    explicit operator bool() const { return enabled_; }

private:
    UniqueHandle token_;
    TOKEN_PRIVILEGES previous_{};
    bool enabled_ = false;
};

// The folder at `path` itself, opened with `access`; none when it cannot be, or is a link.
UniqueFile OpenFolderItself(const std::wstring& path, DWORD access) {
    UniqueFile folder(OpenEntryItself(path, access));
    if (folder && LinkKindOf(folder.get(), path) != LinkKind::None) folder.reset();
    return folder;
}

// Makes the administrators the owner of the object behind `handle`.
bool OwnedByAdministrators(HANDLE handle) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BA", SDDL_REVISION_1, &descriptor, nullptr)) {
        return false;
    }
    const UniqueLocalMemory<PSECURITY_DESCRIPTOR> owned(descriptor);
    return ::SetKernelObjectSecurity(handle, OWNER_SECURITY_INFORMATION, descriptor);
}

} // namespace

std::optional<std::wstring> FinalPathOf(HANDLE handle) {
    auto path = SizedText([&](wchar_t* buffer, std::size_t size) -> std::size_t {
        const DWORD length = ::GetFinalPathNameByHandleW(handle, buffer, static_cast<DWORD>(size), FILE_NAME_NORMALIZED);
        // The length without the null when the path fit, else the size needed with it.
        return length != 0 && length < size ? length + 1 : length;
    });
    if (!path) return std::nullopt;
    return Comparable(std::move(*path));
}

bool SamePathText(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

HANDLE OpenEntryItself(const std::wstring& path, DWORD access, bool shareDelete) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (shareDelete ? FILE_SHARE_DELETE : 0);
    return ::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

LinkKind LinkKindOf(HANDLE handle, const std::wstring& path) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(tag.ReparseTag)) {
        return LinkKind::Itself;
    }
    const auto final = FinalPathOf(handle);
    auto opened = FullPathName(path);
    if (!final || !opened) return LinkKind::None;
    // Short names in the path are spelled out as the final path spells them; links are not.
    if (auto longName = SizedText([&](wchar_t* buffer, std::size_t size) -> std::size_t {
            const DWORD length = ::GetLongPathNameW(opened->c_str(), buffer, static_cast<DWORD>(size));
            return length != 0 && length < size ? length + 1 : length;
        })) {
        opened = std::move(longName);
    }
    return SamePathText(*final, Comparable(*opened)) ? LinkKind::None : LinkKind::Followed;
}

std::wstring LinkDestination(const std::wstring& path) {
    const UniqueFile target(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!target) return L"";
    return FinalPathOf(target.get()).value_or(L"");
}

DWORD SetOwnSecurity(HANDLE handle, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
        return ::GetLastError();
    }
    const UniqueLocalMemory<PSECURITY_DESCRIPTOR> owned(descriptor);
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    ::GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
    const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION |
                                      (owner ? OWNER_SECURITY_INFORMATION : 0);
    // SetKernelObjectSecurity sets the object's own descriptor; SetSecurityInfo would go on
    // to rewrite the inherited lists of everything below, through whatever is linked there.
    if (!::SetKernelObjectSecurity(handle, what, descriptor)) return ::GetLastError();

    // A system without access lists on files takes the list and keeps one of its own making.
    DWORD size = 0;
    ::GetKernelObjectSecurity(handle, DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<BYTE> back(size);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (size == 0 || !::GetKernelObjectSecurity(handle, DACL_SECURITY_INFORMATION, back.data(), size, &size) ||
        !::GetSecurityDescriptorControl(back.data(), &control, &revision)) {
        return ::GetLastError();
    }
    return (control & SE_DACL_PROTECTED) ? ERROR_SUCCESS : ERROR_NOT_SUPPORTED;
}

DWORD SetOwnSecurityWithPrivilege(HANDLE held, const std::wstring& path, const wchar_t* sddl, std::wstring& used) {
    // The held handle carries the rights the folder's list gives this account; a folder another
    // account made may give an administrator none of them.
    if (const DWORD error = SetOwnSecurity(held, sddl); error != ERROR_ACCESS_DENIED) return error;
    constexpr DWORD kSecure = READ_CONTROL | WRITE_DAC | WRITE_OWNER;
    // With the restore privilege an open for backup semantics is granted every write right.
    if (const EnabledPrivilege restore(SE_RESTORE_NAME); restore) {
        if (const UniqueFile folder = OpenFolderItself(path, kSecure)) {
            used = SE_RESTORE_NAME;
            return SetOwnSecurity(folder.get(), sddl);
        }
    }
    // Taking ownership: the administrators' ownership then grants the right to change the list.
    if (const EnabledPrivilege take(SE_TAKE_OWNERSHIP_NAME); take) {
        const UniqueFile owner = OpenFolderItself(path, WRITE_OWNER);
        if (owner && OwnedByAdministrators(owner.get())) {
            if (const UniqueFile folder = OpenFolderItself(path, kSecure)) {
                used = SE_TAKE_OWNERSHIP_NAME;
                return SetOwnSecurity(folder.get(), sddl);
            }
        }
    }
    return ERROR_ACCESS_DENIED;
}

SidKind OwnerKind(HANDLE handle) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor) != ERROR_SUCCESS) {
        return SidKind::Other;
    }
    const UniqueLocalMemory<PSECURITY_DESCRIPTOR> owned(descriptor);
    if (IsWellKnown(owner)) return SidKind::SystemOrAdministrators;
    return IsRunningUser(owner) ? SidKind::RunningUser : SidKind::Other;
}

bool OthersMayChange(HANDLE handle) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(handle, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr,
                          &descriptor) != ERROR_SUCCESS) {
        return true;
    }
    const UniqueLocalMemory<PSECURITY_DESCRIPTOR> owned(descriptor);
    if (!list) return true;  // no list at all: everyone may do everything
    constexpr ACCESS_MASK kChanging = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES |
                                      FILE_WRITE_EA | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(list, i, &entry)) return true;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        if (!(allowed->Mask & kChanging)) continue;
        const PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        // What the creator of an entry gets is the creator's: the run's own files.
        if (::IsWellKnownSid(sid, WinCreatorOwnerSid) || IsWellKnown(sid) || IsRunningUser(sid)) continue;
        return true;
    }
    return false;
}

} // namespace orvh
