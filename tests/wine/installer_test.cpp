// Windows Installer's adapter with the real fixture packages.
#include "common/journal.h"
#include "installer/installed_product.h"
#include "installer/msi_engine_win32.h"
#include "system/environment_win32.h"
#include "system/file_system_win32.h"
#include "system/locale_conversions_win32.h"
#include "system/platform_error.h"
#include "run_checks.h"

#include <gtest/gtest.h>
#include <msi.h>

namespace orvh {
namespace {

namespace fixtures = test::fixtures;

NoJournal journal;

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
    ASSERT_EQ(installer.InstallProduct(package, {}), 0u);
    ASSERT_EQ(installer.ApplyPatch(patch, {}), 0u);
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

} // namespace
} // namespace orvh
