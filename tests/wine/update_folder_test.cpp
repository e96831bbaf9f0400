// The update folder's adapters on a real disk: deletions, copies, one folder under its other names,
// real signatures and held files, and what only the adapter shows of Windows Installer.
#include "common/journal.h"
#include "rows.h"
#include "installer/installed_product.h"
#include "installer/msi_engine_win32.h"
#include "system/authenticode_win32.h"
#include "system/delivered_files_win32.h"
#include "system/environment_win32.h"
#include "system/file_system_win32.h"
#include "system/folder_identity_win32.h"
#include "system/locale_conversions_win32.h"
#include "system/platform_error.h"
#include "run_checks.h"

#include <gtest/gtest.h>
#include <msi.h>

#include <optional>
#include <random>
#include <thread>

namespace orvh {
namespace {

namespace fixtures = test::fixtures;

enum class State { Absent, ReadOnlyFile, LockedFile, ReadOnlyTree };

NoJournal journal;

UniqueFile OpenWithoutSharing(const std::wstring& path) {
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr));
}

TEST(FileSystem, DeletionsOnRealFilesRaiseThePlatformsErrors) {
    // DeleteFolder (else DeleteFile), the target; the error, the target's contents afterwards.
    const std::tuple<bool, State, DWORD, std::string> rows[] = {
        {false, State::ReadOnlyFile, 0, "(none)"},
        {false, State::LockedFile, ERROR_SHARING_VIOLATION, "old"},
        {false, State::Absent, ERROR_FILE_NOT_FOUND, "(none)"},
        {true, State::ReadOnlyTree, 0, "(none)"},
        {true, State::Absent, ERROR_FILE_NOT_FOUND, "(none)"},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [folder, state, expected, contents] = row;
        const test::ScratchFolder scratch;
        Win32FileSystem fs(journal);
        const std::wstring target = scratch / L"target";
        const bool tree = state == State::ReadOnlyTree;
        if (tree) std::filesystem::create_directories(target + L"\\sub");
        if (state != State::Absent) test::WriteFileBytes(tree ? target + L"\\sub\\deep.txt" : target, "old");
        if (state != State::LockedFile) {
            for (const auto& p : {target + L"\\sub\\deep.txt", target + L"\\sub", target}) {
                ::SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_READONLY);
            }
        }
        DWORD error = 0;
        {
            const UniqueFile lock = state == State::LockedFile ? OpenWithoutSharing(target) : UniqueFile();
            try {
                folder ? fs.DeleteFolder(target) : fs.DeleteFile(target);
            } catch (const PlatformError& e) {
                error = static_cast<DWORD>(e.Number());
            }
        }
        const std::string after = fs.FolderExists(target) ? "(folder)"
                                  : fs.FileExists(target) ? test::ReadFileBytes(target) : "(none)";
        EXPECT_EQ(error, expected);
        EXPECT_EQ(after, contents);
    });
}

struct RecordedJournal final : Journal {
    void Write(std::wstring_view event) override { lines.emplace_back(event); }
    std::vector<std::wstring> lines;
};

// Deleting and copying never reach through a link: what it leads to stays. Windows removes the
// link itself; Wine reaches the target even through a handle opened not to follow it, so there
// the link is left (todo_wine: "left" and the error where Windows removes it and succeeds).
TEST(FileSystem, LinksAreNeverFollowed) {
    enum Operation { DeleteTheFolderHoldingIt, DeleteIt, CopyOverItsPartialName };
    // The operation, a folder link (else a file link), the error on Windows, under Wine.
    const std::tuple<Operation, bool, DWORD, DWORD> rows[] = {
        {DeleteTheFolderHoldingIt, true, 0, ERROR_DIR_NOT_EMPTY}, {DeleteTheFolderHoldingIt, false, 0, ERROR_DIR_NOT_EMPTY},
        {DeleteIt, true, 0, 0}, {DeleteIt, false, 0, 0}, {CopyOverItsPartialName, false, 0, ERROR_FILE_EXISTS}};
    const bool wine = ::GetEnvironmentVariableW(L"WINEPREFIX", nullptr, 0) != 0;
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [operation, folderLink, error, wineError] = row;
        const test::ScratchFolder scratch;
        RecordedJournal lines;
        Win32FileSystem fs(lines);
        std::filesystem::create_directories(scratch / L"Outside");
        std::filesystem::create_directories(scratch / L"Tree");
        test::WriteFileBytes(scratch / L"Outside\\victim.msi", "victim");
        test::WriteFileBytes(scratch / L"source.msi", "new");
        const std::wstring target = scratch / (folderLink ? L"Outside" : L"Outside\\victim.msi");
        const std::wstring link = scratch / (operation == CopyOverItsPartialName ? L"Tree\\a.msi.orvh-partial" : L"Tree\\b");
        const auto kept = test::HostLink(link, target, folderLink);
        // Wine's listing shows a linked file as a plain one: the handle's final path tells.
        ASSERT_EQ(fs.LinkTarget(link), fs.FinalPath(target));
        DWORD raised = 0;
        try {
            if (operation == DeleteTheFolderHoldingIt) fs.DeleteFolder(scratch / L"Tree");
            if (operation == DeleteIt) fs.DeleteFile(link);
            if (operation == CopyOverItsPartialName) fs.CopyFile(scratch / L"source.msi", scratch / L"Tree\\a.msi");
        } catch (const PlatformError& e) {
            raised = static_cast<DWORD>(e.Number());
        }
        EXPECT_EQ(test::ReadFileBytes(scratch / L"Outside\\victim.msi"), "victim");
        EXPECT_EQ(raised, wine ? wineError : error);
        const std::wstring told = wine ? L": left, " : L": the link itself is removed";
        EXPECT_EQ(std::ranges::count_if(lines.lines, [&](const auto& l) { return l.find(told) != l.npos; }), 1);
    });
}

TEST(FileSystem, AHeldFolderCanBeNeitherMovedNorALink) {
    const test::ScratchFolder scratch;
    Win32FileSystem fs(journal);
    const std::wstring folder = scratch / L"Corrente";
    std::filesystem::create_directories(folder);
    fs.HoldFolder(folder);
    EXPECT_FALSE(::MoveFileW(folder.c_str(), (scratch / L"Moved").c_str()));
    EXPECT_EQ(::GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
    fs.ReleaseFolder(folder);
    EXPECT_TRUE(::MoveFileW(folder.c_str(), (scratch / L"Moved").c_str()));
    const auto kept = test::HostLink(folder, scratch / L"Moved", true);
    EXPECT_EQ(fs.LinkTarget(folder), fs.FinalPath(scratch / L"Moved"));
    EXPECT_THROW(fs.HoldFolder(folder), PlatformError);
}

// Every copy is all or nothing: a refused copy leaves the destination as it was and no
// partial file behind. (A read-only destination is a row of the faults table.)
TEST(FileSystem, CopiesReplaceTheDestinationWholeOrNotAtAll) {
    constexpr DWORD kNotHeld = ~DWORD{0};
    // Whether the source ("new") and the destination ("old") exist, the sharing the destination
    // is held open with; the error, the destination's content afterwards.
    const std::tuple<bool, bool, DWORD, DWORD, std::string> rows[] = {
        {true, false, kNotHeld, 0, "new"},
        {true, true, kNotHeld, 0, "new"},
        {true, true, 0, ERROR_SHARING_VIOLATION, "old"},
        {true, true, FILE_SHARE_READ | FILE_SHARE_WRITE, ERROR_SHARING_VIOLATION, "old"},
        // A scanner's way: held with every sharing, let go after 600 ms; the replacement waits.
        {true, true, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0, "new"},
        {false, true, kNotHeld, ERROR_FILE_NOT_FOUND, "old"},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [hasSource, hasDestination, sharing, expected, after] = row;
        const test::ScratchFolder scratch;
        const std::wstring source = scratch / L"source.msi", destination = scratch / L"Corrente.msi";
        if (hasSource) test::WriteFileBytes(source, "new");
        if (hasDestination) test::WriteFileBytes(destination, "old");
        DWORD error = 0;
        {
            UniqueFile held(sharing == kNotHeld ? INVALID_HANDLE_VALUE
                                                : ::CreateFileW(destination.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr));
            const bool scanner = sharing != kNotHeld && (sharing & FILE_SHARE_DELETE);
            const std::jthread letGo([&held, scanner] {
                if (!scanner) return;
                std::this_thread::sleep_for(std::chrono::milliseconds(600));
                held.reset();
            });
            Win32FileSystem fs(journal);
            try {
                fs.CopyFile(source, destination);
            } catch (const PlatformError& e) {
                error = static_cast<DWORD>(e.Number());
            }
            // Held from its creation: others read it as Windows Installer does, never change or replace it.
            const auto opens = [&](DWORD access, DWORD sharing) {
                return UniqueFile(::CreateFileW(destination.c_str(), access, sharing, nullptr, OPEN_EXISTING, 0, nullptr)).get() != INVALID_HANDLE_VALUE;
            };
            if (error == 0) EXPECT_TRUE(opens(GENERIC_READ, FILE_SHARE_READ) && !opens(GENERIC_WRITE | DELETE, 7));
        }
        EXPECT_EQ(error, expected);
        EXPECT_EQ(test::ReadFileBytes(destination), after);
        const std::vector<std::wstring> left = test::FolderEntries(scratch.Path());
        EXPECT_EQ(left.size(), hasSource ? 2u : 1u) << testing::PrintToString(left);
    });
}

TEST(FileSystem, SameContentComparesEveryByte) {
    const test::ScratchFolder scratch;
    const std::string big(3 << 20, 'x');  // beyond one read
    std::string changed = big;
    changed.back() = 'y';
    // The two files' contents ("-": none); whether they are the same.
    const std::tuple<std::string, std::string, bool> rows[] = {
        {big, big, true}, {big, changed, false}, {big, big + "x", false}, {"", "", true}, {"a", "-", false}, {"-", "-", false}};
    test::ForEachRow(rows, [&](const auto& row, std::size_t i) {
        const auto& [a, b, same] = row;
        const std::wstring first = scratch / (L"a" + std::to_wstring(i)), second = scratch / (L"b" + std::to_wstring(i));
        if (a != "-") test::WriteFileBytes(first, a);
        if (b != "-") test::WriteFileBytes(second, b);
        EXPECT_EQ(Win32FileSystem(journal).SameContent(first, second), same);
    });
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
    std::wstring lower = folder;
    ::CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    ASSERT_NE(ShortPath(folder), folder) << "the folder has no short name";
    // Two names, whether the first is held open without sharing; whether they are one folder.
    const std::tuple<std::wstring, std::wstring, bool, bool> rows[] = {
        {folder, ShortPath(folder), false, true},
        {folder, ShortPath(folder), true, true},
        {folder, L"\\\\?\\" + lower, false, true},
        {folder, other + L"\\..\\{79bfbbd3-7201-408a-83d0-199a674cfa26}\\", false, true},
        {folder, other, false, false},
        {folder, scratch / L"Setup", false, false},
        // Folders that cannot be opened compare by their full paths.
        {scratch / L"Missing", scratch / L"Setup\\..\\MISSING\\", false, true},
        {scratch / L"Missing", scratch / L"Missing2", false, false},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [a, b, locked, same] = row;
        const UniqueFile lock = locked ? OpenWithoutSharing(a) : UniqueFile();
        ASSERT_EQ(static_cast<bool>(lock), locked);
        EXPECT_EQ(Win32FolderIdentity().SameFolder(a, b), same);
    });
}

// What WinVerifyTrust reports for real signatures of test certificates: the state, the code,
// the signer; a renewed certificate of the same subject is the same publisher, its name's
// strings encoded in other types too.
TEST(Signatures, TheStateAndTheSignerOfRealFiles) {
    ASSERT_TRUE(test::TrustTestRoot());
    AuthenticodeVerifier verifier;
    const FileSignature launcher = verifier.Verify(test::SignedFixture(L"OrvhUpdate.exe"), false);
    // The file; its state, result, signer (nullopt, not compared: whether a broken signature's
    // signer is read), whether it is the launcher's publisher.
    const std::tuple<std::wstring, SignatureState, std::wstring, std::optional<std::wstring>, bool> rows[] = {
        {test::OrvhUpdateExe(), SignatureState::Unsigned, L"TRUST_E_NOSIGNATURE", L"", false},
        {test::SignedFixture(L"OrvhUpdate.exe"), SignatureState::Valid, L"ERROR_SUCCESS", test::kPublisherSubject, true},
        {test::SignedFixture(L"OrvhUpdate-tampered.exe"), SignatureState::NotValid, L"TRUST_E_BAD_DIGEST",
         std::nullopt, false},
        {test::SignedFixture(L"hub-1.2.0.msi"), SignatureState::Valid, L"ERROR_SUCCESS", test::kPublisherSubject, true},
        {test::SignedFixture(L"hub-1.2.100-renewed.msp"), SignatureState::Valid, L"ERROR_SUCCESS",
         test::kPublisherSubject, true},
        {test::SignedFixture(L"hub-1.2.100-other.msp"), SignatureState::Valid, L"ERROR_SUCCESS",
         L"C=IT, O=Altro Editore S.r.l., CN=Altro Editore S.r.l.", false},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [file, state, result, subject, samePublisher] = row;
        const FileSignature signature = verifier.Verify(file, false);
        EXPECT_EQ(signature.state, state);
        EXPECT_EQ(signature.resultName, result);
        if (!subject) return;
        std::wstring shown = signature.subjectText;
        // Wine 8 quotes values with blanks in spite of CERT_NAME_STR_NO_QUOTING_FLAG.
        if (test::UnderWine()) std::erase(shown, L'"');
        EXPECT_EQ(shown, *subject);
        EXPECT_EQ(SamePublisher(signature.publisher, launcher.publisher), samePublisher);
        EXPECT_EQ(signature.thumbprint.size(), subject->empty() ? 0u : 40u);
    });
    EXPECT_NE(verifier.Verify(test::SignedFixture(L"hub-1.2.0.msi"), false).thumbprint, launcher.thumbprint);
}

// A held file can be read, not written or deleted until released.
TEST(Signatures, AHeldFileIsReadableButNotDeletable) {
    const test::ScratchFolder scratch;
    const std::wstring package = scratch / L"Orvane Hub.msi";
    Win32FileSystem fs(journal);
    fs.CopyFile(test::SignedFixture(L"hub-1.2.0.msi"), package);
    AuthenticodeVerifier verifier;
    EXPECT_EQ(verifier.Verify(package, true).state, SignatureState::Valid);
    // A copy is held only when it is the held file byte for byte.
    const std::wstring copy = scratch / L"copy.msi", other = scratch / L"other.msi";
    fs.CopyFile(package, copy);
    fs.CopyFile(test::SignedFixture(L"OrvhUpdate.exe"), other);
    EXPECT_TRUE(verifier.HoldExactCopy(copy, package));
    EXPECT_FALSE(verifier.HoldExactCopy(other, package));
    EXPECT_NO_THROW(fs.DeleteFile(other));
    // A file held without being verified, as the package a patch reinstalls from is.
    const std::wstring unverified = scratch / L"unverified.msi";
    fs.CopyFile(package, unverified);
    verifier.Hold(unverified);
    for (const auto& held : {package, copy, unverified}) {
        EXPECT_FALSE(::DeleteFileW(held.c_str())) << testing::PrintToString(held);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        const UniqueFile writer(::CreateFileW(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        EXPECT_FALSE(writer) << "opened for writing while held";
    }
    verifier.Release(copy);
    EXPECT_NO_THROW(fs.DeleteFile(copy));
    verifier.Release(unverified);
    EXPECT_NO_THROW(fs.DeleteFile(unverified));
    verifier.Release(package);
    EXPECT_NO_THROW(fs.DeleteFile(package));
    EXPECT_THROW(verifier.Verify(package, true), PlatformError) << "a missing file";
}

// What only this adapter shows of Windows Installer: a package's own version, read from its file, not
// that of the product installed and patched from it; a file that is no package refused. Installing,
// upgrading, patching and a refused package are the end-to-end roads'.
TEST(Installer, APackagesOwnVersionAndAFileThatIsNoPackage) {
    const test::ScratchFolder scratch;
    MsiEngine installer;
    Win32FileSystem fs(journal);
    VariantLocaleConversions numbers;
    const InstalledProductQueries queries{installer, fs, ExpandEnvironmentReferences, numbers};
    const std::wstring package = scratch / L"Orvane Hub.msi", patch = scratch / L"ORVHPatch.msp";
    fs.CopyFile(test::FixturePackagePath(fixtures::hub_1_2_0.file), package);
    fs.CopyFile(test::FixturePackagePath(fixtures::hub_1_2_100_msp.file), patch);
    installer.SetUiLevel(kUiLevelNone);
    ASSERT_EQ(installer.InstallProduct(package, L""), 0u);
    ASSERT_EQ(installer.ApplyPatch(patch, L""), 0u);
    EXPECT_EQ(GetPackageVersion(queries, package), L"0001.0002.0000.0000");
    // A folder added to the product's sources is listed first; a product not installed has none.
    const std::wstring code(fixtures::hub_1_2_0.productCode), setup = scratch / L"Setup";
    installer.AddSource(code, setup);
    wchar_t first[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    EXPECT_EQ(::MsiSourceListEnumSourcesW(code.c_str(), nullptr, MSIINSTALLCONTEXT_MACHINE,
                                          static_cast<DWORD>(MSICODE_PRODUCT) | static_cast<DWORD>(MSISOURCETYPE_NETWORK),
                                          0, first, &size),
              static_cast<UINT>(ERROR_SUCCESS));
    EXPECT_EQ(std::wstring(first), setup + L"\\");
    EXPECT_THROW(installer.AddSource(std::wstring(fixtures::hub_1_1_601.productCode), setup), PlatformError);
    test::WriteFileBytes(scratch / L"text.msi", "not a package");
    EXPECT_THROW(GetPackageProductCode(queries, scratch / L"text.msi"), PlatformError);
}

// A set's file cut short as an interrupted copy leaves it, anything else under its name, or one
// still being written: the launcher's check refuses it with its reason before any library reads
// it, and the tool reports it (check), refuses it (make) and predicts the launcher (plan); nothing crashes.
// The package (written by wixl) keeps its FAT in its last sector, the patch (written by ole32) its
// directory: without its last sector each keeps its header and every other table.
TEST(DeliveredFiles, DamagedFilesAreRefusedWithTheirReason) {
    enum Cut : std::size_t { Whole = ~std::size_t{0}, LastSector = Whole - 1, OneShort = Whole - 2, Random = Whole - 3,
                             Written = Whole - 4 };
    const std::wstring package = test::FixturePackagePath(fixtures::hub_1_2_0.file), launcher = test::SignedFixture(L"OrvhUpdate.exe");
    const std::wstring patch = test::FixturePackagePath(fixtures::hub_1_2_100_msp.file);
    const std::tuple<std::wstring, FileForm, std::size_t, std::string> rows[] = {
        {package, FileForm::Package, Whole, ""},
        {patch, FileForm::Patch, Whole, ""},
        {launcher, FileForm::Executable, Whole, ""},
        {package, FileForm::Package, 0, "0 bytes: shorter than a structured storage's header"},
        {package, FileForm::Package, LastSector, "its allocation table (FAT or DIFAT) lies beyond the end of the file"},
        {patch, FileForm::Patch, LastSector, "its directory lies beyond the end of the file"},
        {package, FileForm::Package, Random, "not a structured storage"},
        {launcher, FileForm::Executable, 1024, "its section \".text\" lies beyond the end of the file"},
        {launcher, FileForm::Executable, OneShort, "its signature lies beyond the end of the file"},
        {package, FileForm::Package, Written, "another program has it open for writing"},
    };
    const test::ScratchFolder scratch;
    Win32DeliveredFiles files;
    test::ForEachRow(rows, [&](const auto& row, std::size_t i) {
        const auto& [source, form, length, fault] = row;
        std::string bytes = test::ReadFileBytes(source);
        const std::size_t size = bytes.size();
        if (length == Random) std::ranges::generate(bytes, std::mt19937(7));
        if (length != Whole && length != Random && length != Written) {
            bytes.resize(length == LastSector ? size - 512 : length == OneShort ? size - 1 : length);
        }
        const bool patchRow = form == FileForm::Patch, launcherRow = form == FileForm::Executable;
        const std::wstring set = scratch / (L"set" + std::to_wstring(i));
        const std::wstring path = set + (patchRow ? L"\\ORVHPatch.msp" : launcherRow ? L"\\ORVHUpdate.exe" : L"\\Orvane Hub.msi");
        std::filesystem::create_directories(set);
        test::WriteFileBytes(path, bytes);
        const UniqueFile writer(length == Written ? ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                                  OPEN_EXISTING, 0, nullptr)
                                                  : INVALID_HANDLE_VALUE);
        const ArrivalVerdict verdict = files.Check(path, form);
        EXPECT_EQ(verdict.arrival, length == Whole     ? Arrival::Whole
                                   : length == Written ? Arrival::BeingWritten
                                                       : Arrival::NotWhole);
        EXPECT_EQ(test::Utf8(verdict.fault), fault);
        EXPECT_EQ(files.BeingWritten(path), length == Written);
        if (length == Whole) return;

        const std::string key = patchRow ? "ORVHPatch" : launcherRow ? "ORVHUpdate" : "Orvane Hub";
        const std::string version = patchRow ? "0001.0002.0000.0100" : launcherRow ? "0001.0000.0000.0002" : "0001.0002.0000.0000";
        test::WriteFileBytes(set + L"\\ORVHUpdate.cfg", "[Versione]\r\n" + test::Utf8(FileSystem::GetFileName(path)) + "=" +
                                                            version + "\r\n" + key + ".zip=" + version + "\r\n");
        const test::ToolRun check = test::RunTool(L"check " + test::Quoted(set));
        EXPECT_EQ(check.exitCode, 1u) << check.output;
        const std::string reported = length == Written ? "still being written by another program" : "not whole (" + fault + ")";
        EXPECT_NE(check.output.find(reported), std::string::npos) << check.output;
        const test::ToolRun make = test::RunTool(L"make " + test::Quoted(set + L"made") + L" " + test::Quoted(path));
        EXPECT_EQ(make.exitCode, length == Random ? 2u : 1u) << make.output;
        const test::ToolRun plan = test::RunTool(L"plan " + test::Quoted(set) + L" --json --installed " +
                                                 (patchRow || launcherRow ? L"1.2.0" : L"1.1.601"));
        EXPECT_EQ(plan.exitCode, 0u) << plan.output;
        EXPECT_NE(plan.output.find(length == Written || launcherRow ? "\"messages\": []" : "\"messages\": [10001]"),
                  std::string::npos) << plan.output;
        EXPECT_NE(plan.output.find(launcherRow ? "\"rotated\": true" : "\"rotated\": false"), std::string::npos);
    });
}

} // namespace
} // namespace orvh
