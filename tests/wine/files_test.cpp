// The file-system and folder-identity adapters on a real tree: read-only and locked files,
// the platform's error numbers, and one folder reached through other names.
#include "system/file_system_win32.h"
#include "system/folder_identity_win32.h"
#include "system/platform_error.h"
#include "system/unique_handles.h"
#include "test_paths.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

namespace orvh {
namespace {

using test::Narrow;

enum class State { Absent, File, ReadOnlyFile, LockedFile, Folder, ReadOnlyTree };
enum class Operation { CopyOnto, Delete, CreateFolder, DeleteFolder, GetFilePath };

UniqueFile OpenWithoutSharing(const std::wstring& path) {
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr));
}

void Make(const std::wstring& path, State state) {
    if (state == State::Folder || state == State::ReadOnlyTree) ::CreateDirectoryW(path.c_str(), nullptr);
    if (state == State::ReadOnlyTree) {
        ::CreateDirectoryW((path + L"\\sub").c_str(), nullptr);
        test::WriteFileBytes(path + L"\\sub\\deep.txt", "old");
        for (const auto& p : {path + L"\\sub\\deep.txt", path + L"\\sub", path}) {
            ::SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_READONLY);
        }
    }
    if (state == State::File || state == State::ReadOnlyFile || state == State::LockedFile) {
        test::WriteFileBytes(path, "old");
    }
    if (state == State::ReadOnlyFile) ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

std::string Contents(const Win32FileSystem& fs, const std::wstring& path) {
    if (fs.FolderExists(path)) return "(folder)";
    return fs.FileExists(path) ? test::ReadFileBytes(path) : "(none)";
}

TEST(FileSystem, OperationsOnRealFilesRaiseThePlatformsErrors) {
    struct Row {
        Operation operation;
        State target;
        DWORD error;
        std::string after;
    };
    const Row rows[] = {
        {Operation::CopyOnto, State::Absent, 0, "new"},
        {Operation::CopyOnto, State::File, 0, "new"},
        {Operation::CopyOnto, State::ReadOnlyFile, ERROR_ACCESS_DENIED, "old"},
        {Operation::CopyOnto, State::LockedFile, ERROR_SHARING_VIOLATION, "old"},
        {Operation::Delete, State::ReadOnlyFile, 0, "(none)"},
        {Operation::Delete, State::LockedFile, ERROR_SHARING_VIOLATION, "old"},
        {Operation::Delete, State::Absent, ERROR_FILE_NOT_FOUND, "(none)"},
        {Operation::CreateFolder, State::Absent, 0, "(folder)"},
        {Operation::CreateFolder, State::File, ERROR_ALREADY_EXISTS, "old"},
        {Operation::DeleteFolder, State::ReadOnlyTree, 0, "(none)"},
        {Operation::DeleteFolder, State::Absent, ERROR_FILE_NOT_FOUND, "(none)"},
        {Operation::GetFilePath, State::Absent, ERROR_FILE_NOT_FOUND, "(none)"},
        {Operation::GetFilePath, State::Folder, ERROR_FILE_NOT_FOUND, "(folder)"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const test::ScratchFolder scratch;
        Win32FileSystem fs;
        const std::wstring target = scratch / L"target";
        test::WriteFileBytes(scratch / L"source", "new");
        Make(target, row.target);
        DWORD error = 0;
        {
            const UniqueFile lock = row.target == State::LockedFile ? OpenWithoutSharing(target) : UniqueFile();
            try {
                if (row.operation == Operation::CopyOnto) fs.CopyFile(scratch / L"source", target);
                if (row.operation == Operation::Delete) fs.DeleteFile(target);
                if (row.operation == Operation::CreateFolder) fs.CreateFolder(target);
                if (row.operation == Operation::DeleteFolder) fs.DeleteFolder(target);
                if (row.operation == Operation::GetFilePath) fs.GetFilePath(target);
            } catch (const PlatformError& e) {
                error = static_cast<DWORD>(e.Number());
            }
        }
        EXPECT_EQ(error, row.error) << "row " << i;
        EXPECT_EQ(Contents(fs, target), row.after) << "row " << i;
    }
}

TEST(FileSystem, GetFilePathMakesARelativePathFull) {
    const test::ScratchFolder scratch;
    test::WriteFileBytes(scratch / L"Orvane Hub.msi", "x");
    wchar_t previous[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryW(MAX_PATH + 1, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(scratch.Path().c_str()));
    EXPECT_EQ(Win32FileSystem().GetFilePath(L"sub\\..\\.\\Orvane Hub.msi"), scratch / L"Orvane Hub.msi");
    ::SetCurrentDirectoryW(previous);
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

std::wstring ShortPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH] = {};
    return std::wstring(buffer, ::GetShortPathNameW(path.c_str(), buffer, MAX_PATH));
}

TEST(FolderIdentity, OneFolderUnderItsOtherNames) {
    const test::ScratchFolder scratch;
    const std::wstring folder = scratch / L"Setup\\{79BFBBD3-7201-408A-83D0-199A674CFA26}";
    const std::wstring other = scratch / L"Setup\\{989AFC7A-A077-419A-BAA5-A255450B3FDF}";
    for (const auto& f : {scratch / L"Setup", folder, other}) ::CreateDirectoryW(f.c_str(), nullptr);
    ASSERT_NE(ShortPath(folder), folder) << "the folder has no second, short name";
    struct Row {
        std::wstring a;
        std::wstring b;
        bool lockA;
        bool same;
    };
    const Row rows[] = {
        {folder, ShortPath(folder), false, true},
        {folder, ShortPath(folder), true, true},
        {folder, L"\\\\?\\" + Lower(folder), false, true},
        {folder, other + L"\\..\\{79bfbbd3-7201-408a-83d0-199a674cfa26}\\", false, true},
        {folder, other, false, false},
        {folder, scratch / L"Setup", false, false},
        // Folders that cannot be opened compare by their full paths.
        {scratch / L"Missing", Lower(scratch / L"Setup\\..\\Missing\\"), false, true},
        {scratch / L"Missing", scratch / L"Missing2", false, false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const UniqueFile lock = rows[i].lockA ? OpenWithoutSharing(rows[i].a) : UniqueFile();
        ASSERT_EQ(static_cast<bool>(lock), rows[i].lockA) << "row " << i;
        const bool same = Win32FolderIdentity().SameFolder(rows[i].a, rows[i].b);
        EXPECT_EQ(same, rows[i].same) << "row " << i << ": " << Narrow(rows[i].a) << " / " << Narrow(rows[i].b);
    }
}

} // namespace
} // namespace orvh
