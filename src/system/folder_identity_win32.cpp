#include "system/folder_identity_win32.h"

#include "system/file_system_win32.h"
#include "system/unique_handles_win32.h"
#include "system/windows_api_win32.h"

#include <optional>

namespace orvh {
namespace {

struct FileIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
    bool operator==(const FileIdentity&) const = default;
};

// Opening a folder needs backup semantics; no access right is asked for, and every kind
// of sharing is allowed, so the check disturbs nobody who holds the folder open.
std::optional<FileIdentity> IdentityOf(const std::wstring& folder) {
    UniqueFile handle(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// The full path as the system resolves it; the text itself when it cannot.
std::wstring FullPath(const std::wstring& path) {
    auto full = FullPathName(path);
    if (!full) return path;
    // "C:\x\" and "C:\x" name one folder; a root keeps its backslash.
    if (full->size() > 3 && full->back() == L'\\') full->pop_back();
    return std::move(*full);
}

} // namespace

bool Win32FolderIdentity::SameFolder(const std::wstring& a, const std::wstring& b) const {
    const auto first = IdentityOf(a);
    const auto second = IdentityOf(b);
    if (first && second) return *first == *second;
    const std::wstring fullA = FullPath(a);
    const std::wstring fullB = FullPath(b);
    return ::CompareStringOrdinal(fullA.c_str(), static_cast<int>(fullA.size()), fullB.c_str(),
                                  static_cast<int>(fullB.size()), TRUE) == CSTR_EQUAL;
}

} // namespace orvh
