// Installing full packages and applying patches through the real Windows Installer, with
// the installation source cache in a scratch update folder.
#include "fixture_packages.h"
#include "fixture_paths.h"
#include "installer/installation.h"
#include "installer/msi_engine_win32.h"
#include "message_box_reader.h"
#include "product_installs.h"
#include "system/environment_win32.h"
#include "system/file_system_win32.h"
#include "system/folder_identity_win32.h"
#include "system/windows_api_win32.h"
#include "test_paths.h"

#include <msi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <thread>

namespace orvh {
namespace {

namespace fixtures = test::fixtures;

const std::wstring kHub = L"Orvane Hub";
const std::wstring kHubCode(fixtures::hub_1_1_601.upgradeCode);
const std::wstring kDeskCode(fixtures::desk_1_2_0.upgradeCode);
const std::wstring kPackage = L"Orvane Hub.msi";
const std::wstring kPatch = L"ORVHPatch.msp";
const std::wstring kReinstall = L"REINSTALL=ALL REINSTALLMODE=dmus";

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ShortPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? L"" : std::wstring(buffer, length);
}

bool Installed(std::wstring_view productCode) {
    return ::MsiQueryProductStateW(std::wstring(productCode).c_str()) == INSTALLSTATE_DEFAULT;
}

// Answers, with OK, every message box this process shows while the object lives: the
// installer's "Install Failed" box blocks the installation call until it is answered.
class BoxAnswerer {
public:
    BoxAnswerer()
        : thread_([this] {
              while (!stop_) {
                  for (HWND box : test::MessageBoxes(::GetCurrentProcessId())) {
                      test::PressButton(box, IDOK);
                      ++answered_;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              }
          }) {}
    ~BoxAnswerer() {
        stop_ = true;
        thread_.join();
    }
    int Answered() const { return answered_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    std::thread thread_;
};

class InstallationTest : public testing::Test {
protected:
    InstallationTest() {
        ::CreateDirectoryW(update.c_str(), nullptr);
        ::CreateDirectoryW(corrente.c_str(), nullptr);
        ::CreateDirectoryW(setup.c_str(), nullptr);
        for (const auto* package : {&fixtures::hub_1_1_601, &fixtures::hub_1_2_0, &fixtures::hub_launch_condition_false,
                                    &fixtures::desk_1_2_0}) {
            installs.RemoveAtEnd(*package);
        }
    }

    // The package lies in Corrente under the name the update set gives it.
    void InCorrente(const fixtures::FixturePackage& package, const std::wstring& name = kPackage) {
        fs.CopyFile(test::FixturePackagePath(package.file), corrente + L"\\" + name);
    }
    std::wstring CacheFolder(const fixtures::FixturePackage& package) const {
        return setup + L"\\" + std::wstring(package.productCode);
    }
    bool Install(const std::wstring& setupFolder, const std::wstring& properties = L"",
                 int uiLevel = kUiLevelBasicProgressOnly) {
        const BoxAnswerer answerer;
        const bool result = operations.InstallPackage(kPackage, corrente, setupFolder, properties, uiLevel);
        boxesAnswered = answerer.Answered();
        return result;
    }
    std::wstring InstallSource() { return GetInstallSource(queries, kHub, kHubCode); }
    std::wstring InstalledVersion() { return operations.GetInstalledVersion(kHub, kHubCode); }

    test::ScratchFolder scratch;
    const std::wstring update = scratch / L"Update";
    const std::wstring corrente = update + L"\\Corrente";
    const std::wstring setup = update + L"\\Setup";
    test::ProductInstalls installs;
    MsiEngine installer;
    Win32FileSystem fs;
    Win32FolderIdentity folders;
    InstalledProductQueries queries{installer, fs, ExpandEnvironmentReferences};
    InstallerOperations operations{installer, fs, folders, ExpandEnvironmentReferences, kHubCode};
    int boxesAnswered = 0;
};

TEST_F(InstallationTest, UpgradeInstallsFromANewCacheFolderAndDeletesTheOldOne) {
    InCorrente(fixtures::hub_1_1_601);
    ASSERT_TRUE(Install(setup));
    const std::wstring oldCache = CacheFolder(fixtures::hub_1_1_601);
    EXPECT_TRUE(FileExists(oldCache + L"\\" + kPackage));
    EXPECT_EQ(InstallSource(), oldCache);
    EXPECT_EQ(InstalledVersion(), L"0001.0001.0000.0601");

    InCorrente(fixtures::hub_1_2_0);
    ASSERT_TRUE(Install(setup));
    const std::wstring newCache = CacheFolder(fixtures::hub_1_2_0);
    EXPECT_TRUE(FileExists(newCache + L"\\" + kPackage));
    EXPECT_EQ(InstallSource(), newCache);
    EXPECT_EQ(InstalledVersion(), L"0001.0002.0000.0000");
    EXPECT_FALSE(Installed(fixtures::hub_1_1_601.productCode));
    EXPECT_FALSE(FolderExists(oldCache));
    EXPECT_TRUE(FileExists(corrente + L"\\" + kPackage));
    EXPECT_EQ(boxesAnswered, 0);
}

TEST_F(InstallationTest, ReinstallOfTheSameProductCodeDeletesNothing) {
    InCorrente(fixtures::hub_1_2_0);
    ASSERT_TRUE(Install(setup));
    const std::wstring cache = CacheFolder(fixtures::hub_1_2_0);
    // The repair of a lost cached package puts it back into the same folder.
    fs.DeleteFile(cache + L"\\" + kPackage);
    ASSERT_TRUE(Install(setup, kReinstall));
    EXPECT_TRUE(FileExists(cache + L"\\" + kPackage));
    EXPECT_EQ(InstallSource(), cache);
    EXPECT_EQ(InstalledVersion(), L"0001.0002.0000.0000");
}

TEST_F(InstallationTest, ACacheFolderSpelledDifferentlyIsNotDeleted) {
    InCorrente(fixtures::hub_1_2_0);
    ASSERT_TRUE(Install(setup));
    const std::wstring cache = CacheFolder(fixtures::hub_1_2_0);
    ASSERT_EQ(InstallSource(), cache);
    ASSERT_TRUE(Install(Lower(setup), kReinstall));
    EXPECT_TRUE(FileExists(cache + L"\\" + kPackage));
    EXPECT_TRUE(Installed(fixtures::hub_1_2_0.productCode));

    // The short spelling differs by more than letter case.
    const std::wstring shortSetup = ShortPath(setup);
    ASSERT_FALSE(shortSetup.empty());
    ASSERT_NE(Lower(shortSetup), Lower(setup));
    ASSERT_TRUE(Install(shortSetup, kReinstall));
    EXPECT_TRUE(FileExists(cache + L"\\" + kPackage));
    EXPECT_TRUE(Installed(fixtures::hub_1_2_0.productCode));
}

TEST_F(InstallationTest, AFailingPackageLeavesThePreviousSource) {
    InCorrente(fixtures::hub_1_1_601);
    ASSERT_TRUE(Install(setup));
    const std::wstring oldCache = CacheFolder(fixtures::hub_1_1_601);

    InCorrente(fixtures::hub_launch_condition_false);
    for (const int level : {kUiLevelBasicProgressOnly, kUiLevelNone}) {
        SCOPED_TRACE(level);
        EXPECT_FALSE(Install(setup, L"", level));
        std::cout << "UI level " << level << ": " << boxesAnswered << " box(es) answered\n";
        EXPECT_TRUE(FileExists(oldCache + L"\\" + kPackage));
        EXPECT_EQ(InstallSource(), oldCache);
        EXPECT_EQ(InstalledVersion(), L"0001.0001.0000.0601");
        EXPECT_FALSE(Installed(fixtures::hub_launch_condition_false.productCode));
    }
}

TEST_F(InstallationTest, APackageWithoutProductCodeCopiesNothing) {
    test::WriteFileBytes(corrente + L"\\" + kPackage, "no package");
    EXPECT_FALSE(Install(setup));
    EXPECT_FALSE(operations.InstallPackage(L"missing.msi", corrente, setup, L"", kUiLevelNone));
    EXPECT_TRUE(test::FolderEntries(setup).empty()) << "nothing in Setup";
}

class PatchTest : public InstallationTest {
protected:
    PatchTest() {
        InCorrente(fixtures::hub_1_2_0);
        EXPECT_TRUE(Install(setup));
        fs.CopyFile(test::FixturePackagePath(fixtures::hub_1_2_100_msp.file), corrente + L"\\" + kPatch);
    }
    const std::wstring source = setup + L"\\" + std::wstring(fixtures::hub_1_2_0.productCode);
};

TEST_F(PatchTest, CopiedNextToTheInstallationSourceAndApplied) {
    // An older file of the same name is replaced.
    test::WriteFileBytes(source + L"\\" + kPatch, "older patch");
    EXPECT_TRUE(operations.ApplyPatchPackage(corrente + L"\\" + kPatch, kUiLevelBasicProgressOnly));
    EXPECT_EQ(test::ReadFileBytes(source + L"\\" + kPatch), test::ReadFileBytes(corrente + L"\\" + kPatch));
    EXPECT_EQ(InstalledVersion(), L"0001.0002.0000.0100");
    EXPECT_TRUE(FileExists(corrente + L"\\" + kPatch));
}

TEST_F(PatchTest, AFileThatIsNoPatchIsRefused) {
    test::WriteFileBytes(corrente + L"\\" + kPatch, "no patch");
    const BoxAnswerer answerer;
    EXPECT_FALSE(operations.ApplyPatchPackage(corrente + L"\\" + kPatch, kUiLevelBasicProgressOnly));
    EXPECT_EQ(test::ReadFileBytes(source + L"\\" + kPatch), "no patch");
    EXPECT_EQ(InstalledVersion(), L"0001.0002.0000.0000");
}

TEST_F(PatchTest, NoEditionOrNoSourceCopiesNothing) {
    const std::wstring codes[] = {Lower(kHubCode), kDeskCode, L""};
    for (const auto& code : codes) {
        SCOPED_TRACE(Narrow(code));
        InstallerOperations other(installer, fs, folders, ExpandEnvironmentReferences, code);
        EXPECT_FALSE(other.ApplyPatchPackage(corrente + L"\\" + kPatch, kUiLevelBasicProgressOnly));
        EXPECT_FALSE(FileExists(source + L"\\" + kPatch));
    }
    EXPECT_EQ(InstalledVersion(), L"0001.0002.0000.0000");
}

} // namespace
} // namespace orvh
