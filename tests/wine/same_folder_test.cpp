// Folder identity on a real file system: spellings of one folder are the same folder,
// two folders are not.
#include "system/folder_identity_win32.h"
#include "system/unique_handles_win32.h"
#include "test_paths.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cwctype>
#include <iostream>
#include <vector>

namespace orvh {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

std::wstring ShortPath(const std::wstring& path) {
    const DWORD needed = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return L"";
    std::vector<wchar_t> buffer(needed);
    const DWORD length = ::GetShortPathNameW(path.c_str(), buffer.data(), needed);
    return length == 0 || length >= needed ? L"" : std::wstring(buffer.data(), length);
}

class SameFolderTest : public testing::Test {
protected:
    SameFolderTest() {
        ::CreateDirectoryW(setup.c_str(), nullptr);
        ::CreateDirectoryW(cache.c_str(), nullptr);
        ::CreateDirectoryW(other.c_str(), nullptr);
    }

    test::ScratchFolder scratch;
    const std::wstring setup = scratch / L"Setup";
    const std::wstring cache = setup + L"\\{79BFBBD3-7201-408A-83D0-199A674CFA26}";
    const std::wstring other = setup + L"\\{989AFC7A-A077-419A-BAA5-A255450B3FDF}";
    Win32FolderIdentity folders;
};

TEST_F(SameFolderTest, SpellingsOfOneFolder) {
    const std::wstring shortPath = ShortPath(cache);
    ASSERT_FALSE(shortPath.empty()) << "no short path for " << Narrow(cache);
    const std::wstring spellings[] = {
        cache,
        Lower(cache),
        shortPath,
        cache + L".",
        cache + L"\\",
        L"\\\\?\\" + cache,
        L"\\\\.\\" + cache,
        setup + L"\\.\\{79BFBBD3-7201-408A-83D0-199A674CFA26}",
        other + L"\\..\\{79bfbbd3-7201-408a-83d0-199a674cfa26}",
    };
    for (const auto& spelling : spellings) {
        SCOPED_TRACE(Narrow(spelling));
        ASSERT_NE(::GetFileAttributesW(spelling.c_str()), INVALID_FILE_ATTRIBUTES) << "the spelling names no folder";
        EXPECT_TRUE(folders.SameFolder(cache, spelling));
        EXPECT_TRUE(folders.SameFolder(spelling, cache));
        EXPECT_FALSE(folders.SameFolder(other, spelling));
    }
    std::cout << "short path of the cache folder: " << Narrow(shortPath) << "\n";
}

TEST_F(SameFolderTest, DifferentFolders) {
    EXPECT_FALSE(folders.SameFolder(cache, other));
    EXPECT_FALSE(folders.SameFolder(cache, setup));
    EXPECT_FALSE(folders.SameFolder(setup, scratch.Path()));
    // Folders of the same name in different places.
    const std::wstring twin = scratch / L"{79BFBBD3-7201-408A-83D0-199A674CFA26}";
    ASSERT_TRUE(::CreateDirectoryW(twin.c_str(), nullptr));
    EXPECT_FALSE(folders.SameFolder(cache, twin));
}

TEST_F(SameFolderTest, AFileIsNoFolderOfTheSameIdentity) {
    const std::wstring file = setup + L"\\file";
    test::WriteFileBytes(file, "x");
    EXPECT_FALSE(folders.SameFolder(cache, file));
    EXPECT_TRUE(folders.SameFolder(file, Lower(file)));
}

TEST_F(SameFolderTest, FoldersThatCannotBeOpenedCompareByFullPath) {
    const std::wstring missing = setup + L"\\Missing";
    EXPECT_TRUE(folders.SameFolder(missing, Lower(missing)));
    EXPECT_TRUE(folders.SameFolder(missing, setup + L"\\.\\MISSING\\"));
    EXPECT_FALSE(folders.SameFolder(missing, setup + L"\\Missing2"));
    // One side that opens and one that does not.
    EXPECT_FALSE(folders.SameFolder(cache, missing));
}

TEST_F(SameFolderTest, AFolderHeldOpenWithoutSharing) {
    UniqueFile held(::CreateFileW(cache.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                  nullptr));
    ASSERT_TRUE(held) << ::GetLastError();
    // Told apart from a comparison of texts by the short spelling.
    EXPECT_TRUE(folders.SameFolder(cache, ShortPath(cache)));
    EXPECT_FALSE(folders.SameFolder(cache, other));
}

// A drive letter defined for the scratch folder, removed again when the object goes.
class MappedDrive {
public:
    explicit MappedDrive(const std::wstring& target) {
        for (wchar_t letter = L'Q'; letter <= L'Z'; ++letter) {
            const std::wstring drive = std::wstring(1, letter) + L":";
            if (::GetDriveTypeW((drive + L"\\").c_str()) != DRIVE_NO_ROOT_DIR) continue;
            if (::DefineDosDeviceW(0, drive.c_str(), target.c_str())) {
                drive_ = drive;
                target_ = target;
                return;
            }
            error_ = ::GetLastError();
        }
    }
    ~MappedDrive() {
        if (!drive_.empty()) {
            ::DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, drive_.c_str(), target_.c_str());
        }
    }
    const std::wstring& Drive() const { return drive_; }
    DWORD Error() const { return error_; }

private:
    std::wstring drive_;
    std::wstring target_;
    DWORD error_ = 0;
};

// Wine reaches its host's file system through the drive that maps the host's root; the
// scratch folder spelled through that drive is the same folder on another drive letter.
// Empty outside Wine.
std::wstring ThroughHostRootDrive(const std::wstring& path) {
    using UnixFileName = char* (*)(const wchar_t*);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto unixName = reinterpret_cast<UnixFileName>(::GetProcAddress(kernel, "wine_get_unix_file_name"));
    if (!unixName) return L"";
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const std::wstring root = std::wstring(1, letter) + L":\\";
        char* name = unixName(root.c_str());
        const bool hostRoot = name && std::string(name) == "/";
        ::HeapFree(::GetProcessHeap(), 0, name);
        if (!hostRoot) continue;
        char* full = unixName(path.c_str());
        if (!full) return L"";
        std::wstring spelled = std::wstring(1, letter) + L":";
        for (const char* c = full; *c; ++c) spelled += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
        ::HeapFree(::GetProcessHeap(), 0, full);
        return spelled;
    }
    return L"";
}

TEST_F(SameFolderTest, ThroughAnotherDriveLetter) {
    // A drive letter defined for the scratch folder; where the definition does not reach
    // the file system (Wine), the drive that maps the host's root.
    const MappedDrive mapped(scratch.Path());
    std::wstring viaDrive;
    if (!mapped.Drive().empty()) viaDrive = mapped.Drive() + L"\\Setup\\{79BFBBD3-7201-408A-83D0-199A674CFA26}";
    if (viaDrive.empty() || ::GetFileAttributesW(viaDrive.c_str()) == INVALID_FILE_ATTRIBUTES) {
        viaDrive = ThroughHostRootDrive(cache);
    }
    ASSERT_FALSE(viaDrive.empty()) << "no drive letter reaches the folder (DefineDosDeviceW: " << mapped.Error() << ")";
    ASSERT_NE(::GetFileAttributesW(viaDrive.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(viaDrive);
    ASSERT_NE(::towupper(viaDrive[0]), ::towupper(cache[0]));
    std::cout << "the folder through another drive: " << Narrow(viaDrive) << "\n";
    EXPECT_TRUE(folders.SameFolder(cache, viaDrive));
    EXPECT_TRUE(folders.SameFolder(viaDrive, Lower(cache)));
    EXPECT_FALSE(folders.SameFolder(other, viaDrive));
}

// The layout of a mount-point reparse buffer (a junction).
struct MountPointBuffer {
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset;
    WORD substituteLength;
    WORD printOffset;
    WORD printLength;
    wchar_t paths[1024];
};

// Makes `link` an empty folder that is a junction to `target`; the error when the
// platform refuses.
DWORD MakeJunction(const std::wstring& link, const std::wstring& target) {
    if (!::CreateDirectoryW(link.c_str(), nullptr)) return ::GetLastError();
    UniqueFile handle(::CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle) return ::GetLastError();
    const std::wstring substitute = L"\\??\\" + target;
    MountPointBuffer buffer{};
    buffer.tag = IO_REPARSE_TAG_MOUNT_POINT;
    buffer.substituteOffset = 0;
    buffer.substituteLength = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    buffer.printOffset = static_cast<WORD>(buffer.substituteLength + sizeof(wchar_t));
    buffer.printLength = static_cast<WORD>(target.size() * sizeof(wchar_t));
    std::copy(substitute.begin(), substitute.end(), buffer.paths);
    std::copy(target.begin(), target.end(), buffer.paths + substitute.size() + 1);
    const WORD pathBytes = static_cast<WORD>(buffer.printOffset + buffer.printLength + sizeof(wchar_t));
    buffer.dataLength = static_cast<WORD>(4 * sizeof(WORD) + pathBytes);
    const DWORD size = static_cast<DWORD>(offsetof(MountPointBuffer, substituteOffset) + buffer.dataLength);
    DWORD returned = 0;
    if (!::DeviceIoControl(handle.get(), FSCTL_SET_REPARSE_POINT, &buffer, size, nullptr, 0, &returned, nullptr)) {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

TEST_F(SameFolderTest, AJunctionToTheFolder) {
    const std::wstring link = scratch / L"link";
    const DWORD error = MakeJunction(link, cache);
    if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION) {
        GTEST_SKIP() << "this platform creates no junctions (error " << error << ")";
    }
    ASSERT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS)) << "creating a junction";
    const DWORD attributes = ::GetFileAttributesW(link.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_TRUE(folders.SameFolder(cache, link));
    EXPECT_TRUE(folders.SameFolder(Lower(link), cache));
    EXPECT_FALSE(folders.SameFolder(other, link));
    ::RemoveDirectoryW(link.c_str());
}

} // namespace
} // namespace orvh
