// The installed-product queries against products really installed by Windows Installer.
#include "fixture_packages.h"
#include "installer/installed_product.h"
#include "installer/msi_engine_win32.h"
#include "product_installs.h"
#include "system/environment_win32.h"
#include "system/file_system_win32.h"
#include "system/platform_error.h"
#include "system/windows_api_win32.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvh {
namespace {

namespace fixtures = test::fixtures;

const std::wstring kHub = L"Orvane Hub";
const std::wstring kDesk = L"Orvane Desk";
const std::wstring kHubCode(fixtures::hub_1_1_601.upgradeCode);
const std::wstring kDeskCode(fixtures::desk_1_1_601.upgradeCode);

class InstalledProductTest : public testing::Test {
protected:
    // Installs from a folder of the scratch tree, which becomes the installation source.
    std::wstring InstallFrom(const fixtures::FixturePackage& package, const std::wstring& folderName) {
        const std::wstring folder = scratch / folderName;
        ::CreateDirectoryW(folder.c_str(), nullptr);
        EXPECT_EQ(installs.Install(package, folder), ERROR_SUCCESS) << "installing";
        return folder;
    }

    test::ScratchFolder scratch;
    test::ProductInstalls installs;
    MsiEngine installer;
    Win32FileSystem fs;
    InstalledProductQueries q{installer, fs, ExpandEnvironmentReferences};
};

TEST_F(InstalledProductTest, NothingInstalled) {
    EXPECT_EQ(GetInstalledVersion(q, kHub, kHubCode, true), L"");
    EXPECT_EQ(GetInstallSource(q, kHub, kHubCode), L"");
    EXPECT_FALSE(InstallSourceAvailable(q, kHub, kHubCode));
}

TEST_F(InstalledProductTest, BothEditionsAreFoundByNameAndUpgradeCode) {
    const std::wstring hubSource = InstallFrom(fixtures::hub_1_1_601, L"hub source");
    const std::wstring deskSource = InstallFrom(fixtures::desk_1_1_601, L"desk");
    EXPECT_EQ(GetInstalledVersion(q, kHub, kHubCode, true), L"0001.0001.0000.0601");
    EXPECT_EQ(GetInstalledVersion(q, kHub, kHubCode, false), L"1.1.601");
    EXPECT_EQ(GetInstallSource(q, kHub, kHubCode), hubSource);
    EXPECT_TRUE(InstallSourceAvailable(q, kHub, kHubCode));
    EXPECT_EQ(GetInstalledVersion(q, kDesk, kDeskCode, true), L"0001.0001.0000.0601");
    EXPECT_EQ(GetInstallSource(q, kDesk, kDeskCode), deskSource);
    // The name alone does not identify the edition.
    EXPECT_EQ(GetInstalledVersion(q, kHub, kDeskCode, true), L"");
}

TEST_F(InstalledProductTest, LookAlikesAreNotTheEdition) {
    InstallFrom(fixtures::hub_other_upgrade_code, L"other");
    InstallFrom(fixtures::hub_lower_case_name, L"lower");
    EXPECT_EQ(GetInstalledVersion(q, kHub, kHubCode, true), L"");
    EXPECT_EQ(GetInstallSource(q, kHub, kHubCode), L"");
    EXPECT_FALSE(InstallSourceAvailable(q, kHub, kHubCode));
}

TEST_F(InstalledProductTest, FirstMatchForVersionLastMatchForSource) {
    const std::wstring sourceA = InstallFrom(fixtures::hub_twin_a, L"a");
    const std::wstring sourceB = InstallFrom(fixtures::hub_twin_b, L"b");
    const auto codes = test::InstalledProductCodes();
    const auto a = std::find(codes.begin(), codes.end(), fixtures::hub_twin_a.productCode);
    const auto b = std::find(codes.begin(), codes.end(), fixtures::hub_twin_b.productCode);
    ASSERT_NE(a, codes.end());
    ASSERT_NE(b, codes.end());
    const bool aFirst = a < b;

    EXPECT_EQ(GetInstalledVersion(q, kHub, kHubCode, true), aFirst ? L"0001.0001.0000.0700" : L"0001.0001.0000.0800");
    EXPECT_EQ(GetInstallSource(q, kHub, kHubCode), aFirst ? sourceB : sourceA);

    // Availability follows the first match only.
    fs.DeleteFile((aFirst ? sourceA : sourceB) + L"\\" + std::wstring(aFirst ? fixtures::hub_twin_a.file : fixtures::hub_twin_b.file));
    EXPECT_FALSE(InstallSourceAvailable(q, kHub, kHubCode));
}

TEST_F(InstalledProductTest, DeletedCachedPackageIsNotAvailable) {
    const std::wstring source = InstallFrom(fixtures::hub_1_1_601, L"src");
    ASSERT_TRUE(InstallSourceAvailable(q, kHub, kHubCode));
    fs.DeleteFile(source + L"\\" + std::wstring(fixtures::hub_1_1_601.file));
    EXPECT_FALSE(InstallSourceAvailable(q, kHub, kHubCode));
    EXPECT_EQ(GetInstallSource(q, kHub, kHubCode), source);
}

TEST_F(InstalledProductTest, PackageProductCode) {
    EXPECT_EQ(GetPackageProductCode(q, scratch / L"missing.msi"), L"");
    const std::wstring copy = scratch / L"copy.msi";
    fs.CopyFile(test::TestProgramFolder() + L"\\fixtures\\" + std::wstring(fixtures::hub_1_2_0.file), copy);
    EXPECT_EQ(GetPackageProductCode(q, copy), fixtures::hub_1_2_0.productCode);
    // A file that is no package: the installer's error goes to the caller.
    test::WriteFileBytes(scratch / L"text.msi", "not a package");
    EXPECT_THROW(GetPackageProductCode(q, scratch / L"text.msi"), PlatformError);
}

TEST_F(InstalledProductTest, FileVersionOfBuiltPrograms) {
    // OrvhUpdate.exe carries version 1.0.0.1; the text file none.
    EXPECT_EQ(GetFileVersion(q, test::OrvhUpdateExe(), true), L"0001.0000.0000.0001");
    EXPECT_EQ(GetFileVersion(q, test::OrvhUpdateExe(), false), L"1.0.1");
    EXPECT_EQ(GetFileVersion(q, scratch / L"missing.exe", true), L"");
    test::WriteFileBytes(scratch / L"plain.exe", "no version resource");
    EXPECT_EQ(GetFileVersion(q, scratch / L"plain.exe", true), L"");
}

} // namespace
} // namespace orvh
