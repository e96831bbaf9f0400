#include "system/folder_identity_win32.h"

#include "system/file_system_win32.h"
#include "system/unique_handles_win32.h"
#include "system/windows_api_win32.h"

#include <array>
#include <cstring>
#include <optional>

namespace orvh {
namespace {

// The volume's serial number and the file's identifier on it: FILE_ID_INFO's 64-bit serial and
// 128-bit identifier where the file system gives them (ReFS keeps only those unique), else the
// 64-bit index of BY_HANDLE_FILE_INFORMATION widened to the same form.
// FILE_ID_INFO and its class, from Windows 8 on; the headers show them only to programs that
// require Windows 8, and Windows 7 answers the class with an error.
struct FileIdInfo128 {
    ULONGLONG VolumeSerialNumber;
    BYTE Identifier[16];
};
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

struct FileIdentity {
    ULONGLONG volume;
    std::array<BYTE, 16> id;
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
    FileIdentity identity{};
    FileIdInfo128 id{};
    if (::GetFileInformationByHandleEx(handle.get(), kFileIdInfo, &id, sizeof id)) {
        identity.volume = id.VolumeSerialNumber;
        std::memcpy(identity.id.data(), id.Identifier, identity.id.size());
    } else {
        identity.volume = info.dwVolumeSerialNumber;
        const ULONGLONG index = (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
        std::memcpy(identity.id.data(), &index, sizeof index);
    }
    return identity;
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
