#include "system/file_system_win32.h"

#include "system/sized_text.h"
#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

namespace orvh {
namespace {

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

DWORD Attributes(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

// Forced deletion: a read-only file or folder is made writable first.
void ClearReadOnly(const std::wstring& path, DWORD attributes, std::wstring_view source) {
    if (attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_READONLY)) {
        if (!::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) ThrowLastError(source);
    }
}

void DeleteOneFile(const std::wstring& path, DWORD attributes) {
    ClearReadOnly(path, attributes, L"DeleteFile");
    if (!::DeleteFileW(path.c_str())) ThrowLastError(L"DeleteFile");
}

void DeleteTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = folder + L"\\*";
    UniqueFind find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
    if (!find) ThrowLastError(L"DeleteFolder");
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = folder + L"\\" + name;
        const bool isFolder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        const bool isLink = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
        if (isFolder) {
            // A junction or folder link is removed itself; what it points to is left alone.
            if (!isLink) DeleteTree(child);
            ClearReadOnly(child, entry.dwFileAttributes, L"DeleteFolder");
            if (!::RemoveDirectoryW(child.c_str())) ThrowLastError(L"DeleteFolder");
        } else {
            DeleteOneFile(child, entry.dwFileAttributes);
        }
    } while (::FindNextFileW(find.get(), &entry));
    if (::GetLastError() != ERROR_NO_MORE_FILES) ThrowLastError(L"DeleteFolder");
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
    if (!::CreateDirectoryW(path.c_str(), nullptr)) ThrowLastError(L"CreateFolder");
}

void Win32FileSystem::CopyFile(const std::wstring& source, const std::wstring& destination) {
    // A read-only destination is refused, as Windows refuses it; Wine would replace it.
    const DWORD target = Attributes(destination);
    if (target != kNoAttributes && (target & FILE_ATTRIBUTE_READONLY)) throw Win32Error(ERROR_ACCESS_DENIED, L"CopyFile");
    if (!::CopyFileW(source.c_str(), destination.c_str(), FALSE)) ThrowLastError(L"CopyFile");
}

void Win32FileSystem::DeleteFile(const std::wstring& path) {
    const DWORD a = Attributes(path);
    if (a != kNoAttributes && (a & FILE_ATTRIBUTE_DIRECTORY)) throw Win32Error(ERROR_FILE_NOT_FOUND, L"DeleteFile");
    DeleteOneFile(path, a);
}

void Win32FileSystem::DeleteFolder(const std::wstring& path) {
    const DWORD a = Attributes(path);
    if (a == kNoAttributes) ThrowLastError(L"DeleteFolder");
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) throw Win32Error(ERROR_PATH_NOT_FOUND, L"DeleteFolder");
    if (!(a & FILE_ATTRIBUTE_REPARSE_POINT)) DeleteTree(path);
    ClearReadOnly(path, a, L"DeleteFolder");
    if (!::RemoveDirectoryW(path.c_str())) ThrowLastError(L"DeleteFolder");
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

} // namespace orvh
