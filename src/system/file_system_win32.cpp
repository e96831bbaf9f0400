#include "system/file_system_win32.h"

#include "system/replace_retry.h"
#include "system/sized_text.h"
#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <cstring>
#include <vector>

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

UniqueFile OpenToRead(const std::wstring& path) {
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// The source's bytes, attributes and times under the partial name, on disk before the name is
// given up. Written and flushed through one handle that lets readers in: a scanner or indexer
// that opens the new file at once does not make the copy fail.
void CopyFlushed(const std::wstring& source, const std::wstring& partial) {
    const UniqueFile from = OpenToRead(source);
    FILE_BASIC_INFO basic{};
    if (!from || !::GetFileInformationByHandleEx(from.get(), FileBasicInfo, &basic, sizeof basic)) {
        ThrowLastError(L"CopyFile");
    }
    const UniqueFile to(::CreateFileW(partial.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!to) ThrowLastError(L"CopyFile");
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
    if (!::CreateDirectoryW(path.c_str(), nullptr)) ThrowLastError(L"CreateFolder");
}

void Win32FileSystem::CopyFile(const std::wstring& source, const std::wstring& destination) {
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
    try {
        CopyFlushed(source, partial);
        const auto replace = [&]() -> unsigned long {
            const BOOL moved =
                ::MoveFileExW(partial.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            return moved ? 0 : ::GetLastError();
        };
        const auto pause = [](int milliseconds) { ::Sleep(static_cast<DWORD>(milliseconds)); };
        if (const unsigned long error = ReplaceRetrying(replace, pause, journal_, destination)) {
            throw Win32Error(static_cast<DWORD>(error), L"CopyFile");
        }
    } catch (const PlatformError&) {
        // The error raised is the one reported; what is left of the copy goes.
        ::SetFileAttributesW(partial.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(partial.c_str());
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
