#include "system/file_system_win32.h"

#include "system/folder_security_win32.h"
#include "system/replace_retry.h"
#include "system/sized_text.h"
#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <sddl.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace orvh {
namespace {

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

DWORD Attributes(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring Key(std::wstring path) {
    if (!path.empty()) ::CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
    return path;
}

std::wstring ParentOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

UniqueFile OpenToRead(const std::wstring& path) {
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// The source's bytes, attributes and times under the partial name, on disk before the name is
// given up. Written and flushed through one handle that lets readers in: a scanner or indexer
// that opens the new file at once does not make the copy fail. The file is a new one: nothing
// that stood under the name (a hard link to a file elsewhere) is written through.
void CopyFlushed(const std::wstring& source, const UniqueFile& to) {
    const UniqueFile from = OpenToRead(source);
    FILE_BASIC_INFO basic{};
    if (!from || !::GetFileInformationByHandleEx(from.get(), FileBasicInfo, &basic, sizeof basic)) {
        ThrowLastError(L"CopyFile");
    }
    constexpr DWORD kChunk = 1 << 20;
    std::vector<char> buffer(kChunk);
    for (DWORD read = 0;;) {
        if (!::ReadFile(from.get(), buffer.data(), kChunk, &read, nullptr)) ThrowLastError(L"CopyFile");
        if (read == 0) break;
        DWORD written = 0;
        if (!::WriteFile(to.get(), buffer.data(), read, &written, nullptr)) ThrowLastError(L"CopyFile");
    }
    // The copy keeps the source's times and attributes (a read-only source gives a read-only
    // copy), as CopyFileW would; set through the handle that wrote, which they do not bind.
    basic.ChangeTime.QuadPart = 0;
    basic.FileAttributes &= FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(to.get(), FileBasicInfo, &basic, sizeof basic) ||
        !::FlushFileBuffers(to.get())) {
        ThrowLastError(L"CopyFile");
    }
}

// A full path as the native rename takes it: "\??\C:\...", "\??\UNC\server\...". Windows
// reads a name without a path as one in the file's own folder, Wine in the current folder.
std::wstring NativePath(const std::wstring& full) {
    if (full.starts_with(L"\\\\?\\")) return L"\\??\\" + full.substr(4);
    if (full.starts_with(L"\\\\")) return L"\\??\\UNC\\" + full.substr(2);
    return L"\\??\\" + full;
}

// Gives the file open through `file` the name `destination` (a full path), replacing a file
// there; returns 0 or the platform's error number. The handle needs delete access.
unsigned long RenameThrough(HANDLE file, const std::wstring& destination) {
    const std::wstring name = NativePath(destination);
    const std::size_t bytes = name.size() * sizeof(wchar_t);
    std::vector<std::byte> buffer(offsetof(FILE_RENAME_INFO, FileName) + bytes + sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(rename->FileName, name.c_str(), bytes + sizeof(wchar_t));
    if (!::SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) ||
        !::FlushFileBuffers(file)) {
        return ::GetLastError();
    }
    return 0;
}

// The file `writer` wrote, now held open for reading only, letting others only read it (as
// Windows Installer and the signature check read it). Such a handle cannot be opened while the
// writer's is, so the file is reopened through the handles, never by its name: the file held
// is the file written, and a writer that came in between makes the hold fail.
UniqueFile ReadOnlyHold(UniqueFile writer) {
    const UniqueFile bridge(::ReOpenFile(writer.get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    if (!bridge) ThrowLastError(L"CopyFile");
    writer.reset();
    UniqueFile hold(::ReOpenFile(bridge.get(), GENERIC_READ, FILE_SHARE_READ, 0));
    if (!hold) ThrowLastError(L"CopyFile");
    return hold;
}

std::optional<ULONGLONG> FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// Reads up to `size` bytes, fewer only at the end of the file.
DWORD ReadSome(HANDLE file, char* buffer, DWORD size) {
    DWORD total = 0;
    for (DWORD read = 0; total < size; total += read) {
        if (!::ReadFile(file, buffer + total, size - total, &read, nullptr)) ThrowLastError(L"SameContent");
        if (read == 0) break;
    }
    return total;
}

} // namespace

std::optional<std::wstring> FullPathName(const std::wstring& path) {
    return SizedText([&](wchar_t* buffer, std::size_t size) -> std::size_t {
        const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(size), buffer, nullptr);
        // The length without the null when the path fit, else the size needed with it.
        return length != 0 && length < size ? length + 1 : length;
    });
}

bool Win32FileSystem::FileExists(const std::wstring& path) const {
    const DWORD a = Attributes(path);
    return a != kNoAttributes && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::FolderExists(const std::wstring& path) const {
    const DWORD a = Attributes(path);
    return a != kNoAttributes && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32FileSystem::CreateFolder(const std::wstring& path) {
    // A folder made in one the launcher keeps its own is its own from the start.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (protected_.contains(Key(ParentOf(path))) &&
        !::ConvertStringSecurityDescriptorToSecurityDescriptorW(kLauncherFolderSecurity, SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
        ThrowLastError(L"CreateFolder");
    }
    const UniqueLocalMemory<PSECURITY_DESCRIPTOR> owned(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    if (!::CreateDirectoryW(path.c_str(), descriptor ? &attributes : nullptr)) ThrowLastError(L"CreateFolder");
}

void Win32FileSystem::CopyFile(const std::wstring& source, const std::wstring& destination) {
    // A copy this run made and holds is replaced as any other destination.
    heldCopies_.erase(Key(destination));
    // A read-only destination is refused, as Windows refuses it; Wine would replace it.
    const DWORD target = Attributes(destination);
    if (target != kNoAttributes && (target & FILE_ATTRIBUTE_READONLY)) throw Win32Error(ERROR_ACCESS_DENIED, L"CopyFile");
    // A destination another program holds open is reported as in use before anything is
    // written: the replacement needs delete access to it.
    if (target != kNoAttributes) {
        const UniqueFile held(::CreateFileW(destination.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
        if (!held) ThrowLastError(L"CopyFile");
    }
    const std::wstring partial = destination + std::wstring(kPartialCopySuffix);
    // Whatever stands under the partial name goes first, as the entry it is.
    if (Attributes(partial) != kNoAttributes) DeleteEntry(partial, L"CopyFile");
    // Others may only read the copy from its creation on: what takes the destination's name is
    // what this handle wrote, renamed through it.
    UniqueFile to(::CreateFileW(partial.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!to) ThrowLastError(L"CopyFile");
    try {
        CopyFlushed(source, to);
        const auto replace = [&]() -> unsigned long { return RenameThrough(to.get(), destination); };
        const auto pause = [](int milliseconds) { ::Sleep(static_cast<DWORD>(milliseconds)); };
        if (const unsigned long error = ReplaceRetrying(replace, pause, journal_, destination)) {
            throw Win32Error(static_cast<DWORD>(error), L"CopyFile");
        }
        heldCopies_.emplace(Key(destination), ReadOnlyHold(std::move(to)));
    } catch (const PlatformError&) {
        // The error raised is the one reported; what is left of the copy goes through the
        // handle that made it, under whichever name it has.
        if (to) {
            FILE_DISPOSITION_INFO doomed{TRUE};
            ::SetFileInformationByHandle(to.get(), FileDispositionInfo, &doomed, sizeof doomed);
        }
        throw;
    }
}

bool Win32FileSystem::SameContent(const std::wstring& a, const std::wstring& b) const {
    const auto size = FileSize(a);
    if (!size || size != FileSize(b)) return false;
    const UniqueFile first = OpenToRead(a);
    if (!first) ThrowLastError(L"SameContent");
    const UniqueFile second = OpenToRead(b);
    if (!second) ThrowLastError(L"SameContent");
    constexpr DWORD kChunk = 1 << 20;
    std::vector<char> one(kChunk), other(kChunk);
    for (;;) {
        const DWORD n = ReadSome(first.get(), one.data(), kChunk);
        if (n != ReadSome(second.get(), other.data(), kChunk) || std::memcmp(one.data(), other.data(), n) != 0) return false;
        if (n < kChunk) return true;
    }
}

std::vector<std::wstring> Win32FileSystem::EntryNames(const std::wstring& folder) const {
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = folder + L"\\*";
    UniqueFind find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
    if (!find) ThrowLastError(L"EntryNames");
    std::vector<std::wstring> names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find.get(), &entry));
    if (::GetLastError() != ERROR_NO_MORE_FILES) ThrowLastError(L"EntryNames");
    return names;
}

Deletion Win32FileSystem::DeleteEntry(const std::wstring& path, std::wstring_view source) {
    heldCopies_.erase(Key(path));
    const UniqueFile entry(OpenEntryItself(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES));
    if (!entry) ThrowLastError(source);
    switch (LinkKindOf(entry.get(), path)) {
    case LinkKind::Followed:
        journal_.Write(Quoted(path) + L" is a link to " + Quoted(LinkDestination(path)) +
                       L": left, this system reaches what it points to even through the link itself");
        return Deletion::LinkLeft;
    case LinkKind::Itself:
        journal_.Write(Quoted(path) + L" is a link to " + Quoted(LinkDestination(path)) +
                       L": the link itself is removed, what it points to stays");
        break;
    case LinkKind::None: break;
    }
    // Forced deletion: a read-only entry is made writable first.
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(entry.get(), FileBasicInfo, &basic, sizeof basic)) ThrowLastError(source);
    if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) {
        basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
        if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        if (!::SetFileInformationByHandle(entry.get(), FileBasicInfo, &basic, sizeof basic)) ThrowLastError(source);
    }
    FILE_DISPOSITION_INFO doomed{TRUE};
    if (!::SetFileInformationByHandle(entry.get(), FileDispositionInfo, &doomed, sizeof doomed)) ThrowLastError(source);
    return Deletion::Deleted;
}

void Win32FileSystem::DeleteTree(const std::wstring& folder) {
    // Held without delete sharing while it is emptied: it cannot be swapped for a link meanwhile.
    const UniqueFile itself(OpenEntryItself(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, false));
    if (!itself) ThrowLastError(L"DeleteFolder");
    if (LinkKindOf(itself.get(), folder) != LinkKind::None) return;
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = folder + L"\\*";
    UniqueFind find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
    if (!find) ThrowLastError(L"DeleteFolder");
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = folder + L"\\" + name;
        // Decided from the listing: a link is never descended into.
        const bool plainFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                 !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (plainFolder) DeleteTree(child);
        DeleteEntry(child, L"DeleteFolder");
    } while (::FindNextFileW(find.get(), &entry));
    if (::GetLastError() != ERROR_NO_MORE_FILES) ThrowLastError(L"DeleteFolder");
}

Deletion Win32FileSystem::DeleteFile(const std::wstring& path) {
    const DWORD a = Attributes(path);
    if (a == kNoAttributes) ThrowLastError(L"DeleteFile");
    if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
        throw Win32Error(ERROR_FILE_NOT_FOUND, L"DeleteFile");
    }
    return DeleteEntry(path, L"DeleteFile");
}

Deletion Win32FileSystem::DeleteFolder(const std::wstring& path) {
    const DWORD a = Attributes(path);
    if (a == kNoAttributes) ThrowLastError(L"DeleteFolder");
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) throw Win32Error(ERROR_PATH_NOT_FOUND, L"DeleteFolder");
    if (!(a & FILE_ATTRIBUTE_REPARSE_POINT)) DeleteTree(path);
    return DeleteEntry(path, L"DeleteFolder");
}

std::wstring Win32FileSystem::GetFilePath(const std::wstring& path) const {
    if (!FileExists(path)) {
        const DWORD error = Attributes(path) == kNoAttributes ? ::GetLastError() : ERROR_FILE_NOT_FOUND;
        throw Win32Error(error, L"GetFile");
    }
    auto full = FullPathName(path);
    if (!full) ThrowLastError(L"GetFile");
    return std::move(*full);
}

std::optional<std::wstring> Win32FileSystem::LinkTarget(const std::wstring& path) const {
    if (Attributes(path) == kNoAttributes) return std::nullopt;
    const UniqueFile entry(OpenEntryItself(path, FILE_READ_ATTRIBUTES));
    if (!entry || LinkKindOf(entry.get(), path) == LinkKind::None) return std::nullopt;
    return LinkDestination(path);
}

void Win32FileSystem::HoldFolder(const std::wstring& folder) {
    if (held_.contains(Key(folder))) return;
    // A drive's root ("C:") is held as "C:\\": the text alone names the drive's current folder.
    const std::wstring path = folder.ends_with(L':') ? folder + L"\\" : folder;
    // The access list is set through this handle where the process may set it.
    constexpr DWORD kRead = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL;
    UniqueFile handle(OpenEntryItself(path, kRead | WRITE_DAC | WRITE_OWNER, false));
    if (!handle && ::GetLastError() == ERROR_ACCESS_DENIED) handle.reset(OpenEntryItself(path, kRead, false));
    if (!handle) ThrowLastError(L"HoldFolder");
    if (LinkKindOf(handle.get(), path) != LinkKind::None) throw Win32Error(ERROR_CANT_RESOLVE_FILENAME, L"HoldFolder");
    held_.emplace(Key(folder), std::move(handle));
}

void Win32FileSystem::ReleaseFolder(const std::wstring& path) {
    held_.erase(Key(path));
    protected_.erase(Key(path));
}

std::optional<std::wstring> Win32FileSystem::FinalPath(const std::wstring& folder) const {
    const UniqueFile reached(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!reached) return std::nullopt;
    return FinalPathOf(reached.get());
}

bool Win32FileSystem::MayWriteIn(const std::wstring& folder) const {
    const UniqueFile writable(OpenEntryItself(folder, FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD));
    return writable || ::GetLastError() != ERROR_ACCESS_DENIED;
}

Protection Win32FileSystem::Protect(const std::wstring& heldFolder) {
    const auto held = held_.find(Key(heldFolder));
    if (held == held_.end()) return {ProtectResult::Failed, ERROR_INVALID_HANDLE};
    std::wstring privilege;
    switch (const DWORD error = SetOwnSecurityWithPrivilege(held->second.get(), heldFolder, kLauncherFolderSecurity, privilege)) {
    case ERROR_SUCCESS: protected_.insert(held->first); return {ProtectResult::Protected, 0, privilege};
    case ERROR_NOT_SUPPORTED: return {ProtectResult::NotKept, 0};
    default: return {ProtectResult::Failed, error};
    }
}

std::vector<std::wstring> Win32FileSystem::ForeignEntries(const std::wstring& folder) const {
    std::vector<std::wstring> foreign;
    for (const auto& name : EntryNames(folder)) {
        const UniqueFile entry(OpenEntryItself(folder + L"\\" + name, READ_CONTROL));
        if (!entry || OwnerKind(entry.get()) == SidKind::Other) foreign.push_back(name);
    }
    return foreign;
}

} // namespace orvh
