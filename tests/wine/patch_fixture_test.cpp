// The fixture patches apply as their descriptions say: the installed product takes the
// upgraded version, its program and readme are replaced and the new file arrives; a patch
// of another product changes nothing.
#include "fixture_packages.h"
#include "fixture_paths.h"
#include "product_installs.h"
#include "test_paths.h"

#include "system/windows_api_win32.h"

#include <msi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

namespace orvh::test {
namespace {

using fixtures::FixturePackage;
using fixtures::FixturePatch;
using testing::AnyOf;
using testing::Contains;
using testing::Not;



bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Codes of the patches the installer lists as applied to a product.
std::vector<std::wstring> AppliedPatches(std::wstring_view productCode) {
    const std::wstring code(productCode);
    std::vector<std::wstring> patches;
    for (DWORD index = 0;; ++index) {
        wchar_t patch[39] = {};
        wchar_t transforms[512] = {};
        DWORD size = 512;
        if (::MsiEnumPatchesW(code.c_str(), index, patch, transforms, &size) != ERROR_SUCCESS) break;
        patches.emplace_back(patch);
    }
    return patches;
}

UINT ApplyPatch(const FixturePatch& patch) {
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    return ::MsiApplyPatchW(FixturePackagePath(patch.file).c_str(), nullptr, INSTALLTYPE_DEFAULT,
                            L"REINSTALL=ALL REINSTALLMODE=emus");
}

struct PatchCase {
    const FixturePackage* target;
    const FixturePatch* patch;
    const wchar_t* program;          // installed program's file name
    const wchar_t* programVersion;   // its file version once patched
    const char* readme;              // readme.txt once patched
};

void PrintTo(const PatchCase& patchCase, std::ostream* os) {
    for (const wchar_t c : patchCase.patch->file) *os << static_cast<char>(c);
}

class FixturePatches : public testing::TestWithParam<PatchCase> {
protected:
    ProductInstalls installs_;
};

TEST_P(FixturePatches, BringTheTargetToTheUpgradedVersion) {
    const PatchCase& patchCase = GetParam();
    const FixturePackage& target = *patchCase.target;
    const FixturePatch& patch = *patchCase.patch;
    ASSERT_EQ(target.productCode, patch.productCode) << "the patch's target in the catalog";
    ASSERT_EQ(installs_.Install(target), ERROR_SUCCESS);
    const std::wstring folder = FixtureInstallFolder(target.installFolder);
    ASSERT_EQ(ProductInfoText(target.productCode, INSTALLPROPERTY_VERSIONSTRING), target.version);

    ASSERT_EQ(ApplyPatch(patch), ERROR_SUCCESS);

    EXPECT_EQ(ProductInfoText(target.productCode, INSTALLPROPERTY_VERSIONSTRING), patch.version);
    EXPECT_EQ(FileVersionText(folder + L"\\" + patchCase.program), patchCase.programVersion);
    EXPECT_EQ(ReadFileBytes(folder + L"\\readme.txt"), patchCase.readme);
    EXPECT_TRUE(FileExists(folder + L"\\changes.txt")) << "the file the patch adds";
    EXPECT_THAT(AppliedPatches(target.productCode), Contains(std::wstring(patch.patchCode)));
}

INSTANTIATE_TEST_SUITE_P(
    Patches, FixturePatches,
    testing::Values(PatchCase{&fixtures::hub_1_2_0, &fixtures::hub_1_2_100_msp, L"Orvane Hub.exe", L"1.2.0.100",
                              "Orvane Hub 1.2.100"},
                    PatchCase{&fixtures::desk_1_2_0, &fixtures::desk_1_2_100_msp, L"Orvane Desk.exe", L"1.2.0.100",
                              "Orvane Desk 1.2.100"},
                    PatchCase{&fixtures::hub_1_1_601, &fixtures::hub_1_1_700_msp, L"Orvane Hub.exe", L"1.1.0.700",
                              "Orvane Hub 1.1.700"}),
    [](const testing::TestParamInfo<PatchCase>& info) {
        std::string name;
        for (const wchar_t c : info.param.patch->file) name += std::iswalnum(c) ? static_cast<char>(c) : '_';
        return name;
    });

TEST(FixturePatch, OfAnotherProductLeavesTheInstalledOneAlone) {
    ProductInstalls installs;
    const FixturePackage& installed = fixtures::hub_1_2_0;
    ASSERT_NE(fixtures::hub_1_1_700_msp.productCode, installed.productCode);
    ASSERT_EQ(installs.Install(installed), ERROR_SUCCESS);
    const std::wstring folder = FixtureInstallFolder(installed.installFolder);

    // Wine answers that the product is unknown; Windows that no target was found.
    EXPECT_THAT(ApplyPatch(fixtures::hub_1_1_700_msp),
                AnyOf(static_cast<UINT>(ERROR_UNKNOWN_PRODUCT), static_cast<UINT>(ERROR_PATCH_TARGET_NOT_FOUND)));

    EXPECT_EQ(ProductInfoText(installed.productCode, INSTALLPROPERTY_VERSIONSTRING), installed.version);
    EXPECT_EQ(FileVersionText(folder + L"\\Orvane Hub.exe"), L"1.2.0.0");
    EXPECT_FALSE(FileExists(folder + L"\\changes.txt"));
    EXPECT_THAT(AppliedPatches(installed.productCode), Not(Contains(std::wstring(fixtures::hub_1_1_700_msp.patchCode))));
}

} // namespace
} // namespace orvh::test
