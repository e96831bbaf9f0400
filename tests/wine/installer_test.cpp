// Windows Installer through the installer adapter, with real packages: the installed
// product's queries, full packages installed from the update folder's source cache, and a
// patch made by tools/msp applied to the installed product.
#include "fixture_packages.h"
#include "fixture_paths.h"
#include "installer/installation.h"
#include "installer/msi_engine_win32.h"
#include "product_installs.h"
#include "system/environment_win32.h"
#include "system/file_system_win32.h"
#include "system/folder_identity_win32.h"
#include "system/platform_error.h"
#include "test_paths.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <functional>

namespace orvh {
namespace {

namespace fixtures = test::fixtures;
using test::Narrow;

const std::wstring kHub = L"Orvane Hub";
const std::wstring kHubCode(fixtures::hub_1_1_601.upgradeCode);
const std::wstring kPackage = L"Orvane Hub.msi";
const std::wstring kPatch = L"ORVHPatch.msp";

class Installer : public testing::Test {
protected:
    Installer() {
        for (const auto& folder : {update, corrente, setup}) fs.CreateFolder(folder);
        for (const auto* package : {&fixtures::hub_1_1_601, &fixtures::hub_1_2_0, &fixtures::hub_launch_condition_false}) {
            installs.RemoveAtEnd(*package);
        }
    }
    bool Install(const fixtures::FixturePackage& package, int uiLevel) {
        fs.CopyFile(test::FixturePackagePath(package.file), corrente + L"\\" + kPackage);
        return operations.InstallPackage(kPackage, corrente, setup, L"", uiLevel);
    }
    bool Patch() {
        fs.CopyFile(test::FixturePackagePath(fixtures::hub_1_2_100_msp.file), corrente + L"\\" + kPatch);
        return operations.ApplyPatchPackage(corrente + L"\\" + kPatch, kUiLevelBasicProgressOnly);
    }
    std::wstring Cache(const fixtures::FixturePackage& package) const {
        return setup + L"\\" + std::wstring(package.productCode);
    }

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
};

TEST_F(Installer, AProductInstalledUpgradedAndPatched) {
    const std::wstring program = test::FixtureInstallFolder(fixtures::hub_1_1_601.installFolder) + L"\\Orvane Hub.exe";
    struct Row {
        const char* step;
        std::function<bool()> run;
        bool result;
        std::wstring version; // of the installed product
        std::wstring source;  // its installation source
        std::wstring program; // the installed program's file version
    };
    const Row rows[] = {
        {"nothing installed", [] { return true; }, true, L"", L"", L""},
        {"install 1.1.601", [&] { return Install(fixtures::hub_1_1_601, kUiLevelBasicProgressOnly); }, true,
         L"0001.0001.0000.0601", Cache(fixtures::hub_1_1_601), L"0001.0001.0000.0601"},
        {"upgrade to 1.2.0", [&] { return Install(fixtures::hub_1_2_0, kUiLevelBasicProgressOnly); }, true,
         L"0001.0002.0000.0000", Cache(fixtures::hub_1_2_0), L"0001.0002.0000.0000"},
        {"patch to 1.2.100", [&] { return Patch(); }, true, L"0001.0002.0000.0100", Cache(fixtures::hub_1_2_0),
         L"0001.0002.0000.0100"},
        {"a package whose launch condition fails", [&] { return Install(fixtures::hub_launch_condition_false, kUiLevelNone); },
         false, L"0001.0002.0000.0100", Cache(fixtures::hub_1_2_0), L"0001.0002.0000.0100"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << row.step);
        EXPECT_EQ(row.run(), row.result);
        EXPECT_EQ(Narrow(GetInstalledVersion(queries, kHub, kHubCode, true)), Narrow(row.version));
        EXPECT_EQ(Narrow(GetInstallSource(queries, kHub, kHubCode)), Narrow(row.source));
        EXPECT_EQ(InstallSourceAvailable(queries, kHub, kHubCode), !row.source.empty());
        EXPECT_EQ(Narrow(GetFileVersion(queries, program, true)), Narrow(row.program));
    }
    EXPECT_FALSE(fs.FolderExists(Cache(fixtures::hub_1_1_601))) << "the replaced version's source stays";
    EXPECT_EQ(test::ReadFileBytes(Cache(fixtures::hub_1_2_0) + L"\\" + kPatch), test::ReadFileBytes(corrente + L"\\" + kPatch));
}

TEST_F(Installer, FactsOfPackageAndProgramFiles) {
    test::WriteFileBytes(scratch / L"text.msi", "not a package");
    struct Row {
        std::function<std::wstring()> read;
        std::wstring expected;
    };
    const Row rows[] = {
        {[&] { return GetPackageProductCode(queries, test::FixturePackagePath(fixtures::hub_1_2_0.file)); },
         std::wstring(fixtures::hub_1_2_0.productCode)},
        {[&] { return GetPackageProductCode(queries, scratch / L"missing.msi"); }, L""},
        {[&] { return GetFileVersion(queries, test::OrvhUpdateExe(), true); }, L"0001.0000.0000.0001"},
        {[&] { return GetFileVersion(queries, scratch / L"text.msi", true); }, L""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(Narrow(rows[i].read()), Narrow(rows[i].expected)) << "row " << i;
    }
    EXPECT_THROW(GetPackageProductCode(queries, scratch / L"text.msi"), PlatformError);
}

} // namespace
} // namespace orvh
