// The file-system object on a real file system.
#include "system/file_system_win32.h"
#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace orvh {
namespace {

using test::ReadFileBytes;
using test::ScratchFolder;
using test::WriteFileBytes;

// The error an operation raised, or nullopt when it raised none.
std::optional<PlatformError> ErrorOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const PlatformError& error) {
        return error;
    }
    return std::nullopt;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

void MakeReadOnly(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_READONLY));
}

void MakeFolder(const std::wstring& path) { ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)); }

// Opens the file for reading and shares nothing, as a program holding it locked would.
UniqueFile OpenWithoutSharing(const std::wstring& path) {
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

std::wstring CurrentFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH + 1, buffer);
    return std::wstring(buffer, length);
}

class FileSystemTest : public testing::Test {
protected:
    Win32FileSystem fs;
    ScratchFolder scratch;
};

TEST_F(FileSystemTest, ExistenceTellsFilesFromFolders) {
    WriteFileBytes(scratch / L"file.txt", "x");
    MakeFolder(scratch / L"folder");

    struct Case {
        std::wstring path;
        bool file;
        bool folder;
    };
    for (const auto& c : {Case{scratch / L"file.txt", true, false}, Case{scratch / L"folder", false, true},
                          Case{scratch / L"missing", false, false}, Case{scratch / L"missing\\x.txt", false, false}}) {
        SCOPED_TRACE(testing::Message() << Narrow(c.path));
        EXPECT_EQ(fs.FileExists(c.path), c.file);
        EXPECT_EQ(fs.FolderExists(c.path), c.folder);
    }
}

TEST_F(FileSystemTest, CreateFolderMakesTheLastLevel) {
    fs.CreateFolder(scratch / L"new");
    EXPECT_TRUE(fs.FolderExists(scratch / L"new"));
}

TEST_F(FileSystemTest, CreateFolderFailsWithThePlatformsNumberAndDescription) {
    MakeFolder(scratch / L"existing");
    struct Case {
        std::wstring path;
        DWORD error;
    };
    for (const auto& c : {Case{scratch / L"no-parent\\new", ERROR_PATH_NOT_FOUND},
                          Case{scratch / L"existing", ERROR_ALREADY_EXISTS}}) {
        SCOPED_TRACE(testing::Message() << Narrow(c.path));
        const auto error = ErrorOf([&] { fs.CreateFolder(c.path); });
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->Number(), static_cast<std::int32_t>(c.error));
        EXPECT_FALSE(error->Description().empty());
        EXPECT_EQ(error->Description(), SystemErrorDescription(c.error));
    }
    EXPECT_FALSE(fs.FolderExists(scratch / L"no-parent"));
}

TEST_F(FileSystemTest, CopyFileReplacesTheDestinationAndKeepsTheSource) {
    WriteFileBytes(scratch / L"source.txt", "new contents");
    WriteFileBytes(scratch / L"destination.txt", "old contents that are longer");
    fs.CopyFile(scratch / L"source.txt", scratch / L"destination.txt");
    EXPECT_EQ(ReadFileBytes(scratch / L"destination.txt"), "new contents");
    EXPECT_EQ(ReadFileBytes(scratch / L"source.txt"), "new contents");
}

TEST_F(FileSystemTest, CopyFileToANewDestination) {
    WriteFileBytes(scratch / L"source.txt", "abc");
    fs.CopyFile(scratch / L"source.txt", scratch / L"copy.txt");
    EXPECT_EQ(ReadFileBytes(scratch / L"copy.txt"), "abc");
}

TEST_F(FileSystemTest, CopyFileOfAMissingSourceFails) {
    const auto error = ErrorOf([&] { fs.CopyFile(scratch / L"missing.txt", scratch / L"copy.txt"); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->Number(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(fs.FileExists(scratch / L"copy.txt"));
}

TEST_F(FileSystemTest, CopyFileOntoAReadOnlyDestinationFails) {
    WriteFileBytes(scratch / L"source.txt", "new");
    WriteFileBytes(scratch / L"destination.txt", "old");
    MakeReadOnly(scratch / L"destination.txt");
    const auto error = ErrorOf([&] { fs.CopyFile(scratch / L"source.txt", scratch / L"destination.txt"); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->Number(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadFileBytes(scratch / L"destination.txt"), "old");
}

TEST_F(FileSystemTest, CopyFileOntoADestinationInUseFails) {
    WriteFileBytes(scratch / L"source.txt", "new");
    WriteFileBytes(scratch / L"destination.txt", "old");
    {
        const UniqueFile held = OpenWithoutSharing(scratch / L"destination.txt");
        ASSERT_TRUE(held);
        const auto error = ErrorOf([&] { fs.CopyFile(scratch / L"source.txt", scratch / L"destination.txt"); });
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->Number(), ERROR_SHARING_VIOLATION);
    }
    EXPECT_EQ(ReadFileBytes(scratch / L"destination.txt"), "old");
}

TEST_F(FileSystemTest, DeleteFileRemovesAReadOnlyFile) {
    WriteFileBytes(scratch / L"read-only.txt", "x");
    MakeReadOnly(scratch / L"read-only.txt");
    fs.DeleteFile(scratch / L"read-only.txt");
    EXPECT_FALSE(fs.FileExists(scratch / L"read-only.txt"));
}

TEST_F(FileSystemTest, DeleteFileOfAMissingFileFails) {
    const auto error = ErrorOf([&] { fs.DeleteFile(scratch / L"missing.txt"); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->Number(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileSystemTest, DeleteFileOfAFileInUseFailsAndLeavesIt) {
    WriteFileBytes(scratch / L"held.txt", "x");
    const UniqueFile held = OpenWithoutSharing(scratch / L"held.txt");
    ASSERT_TRUE(held);
    const auto error = ErrorOf([&] { fs.DeleteFile(scratch / L"held.txt"); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->Number(), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(fs.FileExists(scratch / L"held.txt"));
}

TEST_F(FileSystemTest, DeleteFolderRemovesATreeWithReadOnlyEntries) {
    const std::wstring root = scratch / L"Setup";
    MakeFolder(root);
    MakeFolder(root + L"\\a");
    MakeFolder(root + L"\\a\\b");
    MakeFolder(root + L"\\a\\b\\empty");
    MakeFolder(root + L"\\read-only folder");
    WriteFileBytes(root + L"\\top.msi", "1");
    WriteFileBytes(root + L"\\a\\b\\deep.txt", "2");
    WriteFileBytes(root + L"\\read-only folder\\inside.txt", "3");
    MakeReadOnly(root + L"\\a\\b\\deep.txt");
    MakeReadOnly(root + L"\\read-only folder\\inside.txt");
    MakeReadOnly(root + L"\\read-only folder");
    MakeReadOnly(root + L"\\a");

    fs.DeleteFolder(root);
    EXPECT_FALSE(fs.FolderExists(root));
    EXPECT_FALSE(fs.FileExists(root));
}

TEST_F(FileSystemTest, DeleteFolderOfAMissingFolderFails) {
    const auto error = ErrorOf([&] { fs.DeleteFolder(scratch / L"missing"); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->Number(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileSystemTest, GetFilePathGivesTheFullPath) {
    WriteFileBytes(scratch / L"Mixed Case.Msi", "x");
    MakeFolder(scratch / L"sub");
    const std::wstring previous = CurrentFolder();
    ASSERT_TRUE(::SetCurrentDirectoryW(scratch.Path().c_str()));

    struct Case {
        std::wstring path;
        std::wstring expected;
    };
    // The path is made full and "." / ".." resolved; its letters keep the case they were given in.
    for (const auto& c : {Case{scratch / L"Mixed Case.Msi", scratch / L"Mixed Case.Msi"},
                          Case{L"Mixed Case.Msi", scratch / L"Mixed Case.Msi"},
                          Case{L"sub\\..\\.\\Mixed Case.Msi", scratch / L"Mixed Case.Msi"},
                          Case{L"MIXED CASE.MSI", scratch / L"MIXED CASE.MSI"}}) {
        SCOPED_TRACE(testing::Message() << Narrow(c.path));
        EXPECT_EQ(fs.GetFilePath(c.path), c.expected);
    }
    ASSERT_TRUE(::SetCurrentDirectoryW(previous.c_str()));
}

TEST_F(FileSystemTest, GetFilePathOfAShortNameKeepsTheShortName) {
    const std::wstring file = scratch / L"A rather long file name.msi";
    WriteFileBytes(file, "x");
    wchar_t shortPath[MAX_PATH + 1] = {};
    const DWORD length = ::GetShortPathNameW(file.c_str(), shortPath, MAX_PATH + 1);
    ASSERT_GT(length, 0u);
    const std::wstring shortName(shortPath, length);
    EXPECT_EQ(fs.GetFilePath(shortName), shortName);
    EXPECT_TRUE(fs.FileExists(shortName));
}

TEST_F(FileSystemTest, GetFilePathOfAMissingFileFails) {
    MakeFolder(scratch / L"folder");
    for (const auto& path : {scratch / L"missing.msi", scratch / L"folder"}) {
        SCOPED_TRACE(testing::Message() << Narrow(path));
        const auto error = ErrorOf([&] { fs.GetFilePath(path); });
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->Number(), ERROR_FILE_NOT_FOUND);
    }
}

TEST(GetFileName, IsTheTextAfterTheLastBackslash) {
    struct Case {
        std::wstring path;
        std::wstring expected;
    };
    for (const auto& c : {Case{L"C:\\a\\b.txt", L"b.txt"}, Case{L"b.txt", L"b.txt"}, Case{L"C:\\a\\", L""},
                          Case{L"C:\\Setup\\{1234}\\Orvane Hub.msi", L"Orvane Hub.msi"}, Case{L"", L""}}) {
        EXPECT_EQ(FileSystem::GetFileName(c.path), c.expected);
    }
}

} // namespace
} // namespace orvh
