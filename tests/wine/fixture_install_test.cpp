// The fixture packages install, upgrade and fail as their descriptions say.
#include "fixture_packages.h"
#include "fixture_paths.h"
#include "product_installs.h"

#include "system/windows_api_win32.h"

#include <msi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cwctype>
#include <ostream>
#include <string>
#include <vector>

namespace orvh::test {
namespace {
std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }
} // namespace

namespace fixtures {
void PrintTo(const FixturePackage& package, std::ostream* os) { *os << Narrow(package.file); }
} // namespace fixtures

namespace {

using fixtures::FixturePackage;
using testing::Contains;
using testing::ElementsAre;
using testing::Not;

std::vector<std::wstring> RelatedProducts(std::wstring_view upgradeCode) {
    const std::wstring upgrade(upgradeCode);
    std::vector<std::wstring> codes;
    wchar_t code[39];
    for (DWORD index = 0; ::MsiEnumRelatedProductsW(upgrade.c_str(), 0, index, code) == ERROR_SUCCESS; ++index) {
        codes.emplace_back(code);
    }
    return codes;
}



bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class FixturePackages : public testing::Test {
protected:
    UINT Install(const FixturePackage& package) { return installs_.Install(package); }

private:
    ProductInstalls installs_;
};

TEST_F(FixturePackages, ServerEditionInstallsAndItsNextVersionReplacesIt) {
    const auto& hub = fixtures::hub_1_1_601;
    ASSERT_EQ(Install(hub), ERROR_SUCCESS);
    EXPECT_THAT(InstalledProductCodes(), Contains(hub.productCode));
    EXPECT_EQ(ProductInfoText(hub.productCode, INSTALLPROPERTY_VERSIONSTRING), L"1.1.601");
    EXPECT_EQ(ProductInfoText(hub.productCode, INSTALLPROPERTY_INSTALLEDPRODUCTNAME), L"Orvane Hub");
    const std::wstring folder = FixtureInstallFolder(hub.installFolder);
    EXPECT_TRUE(FileExists(folder + L"\\readme.txt")) << "in the folder Orvane Hub";
    EXPECT_EQ(FileVersionText(folder + L"\\Orvane Hub.exe"), L"1.1.0.601");

    const auto& next = fixtures::hub_1_2_0;
    ASSERT_EQ(Install(next), ERROR_SUCCESS);
    EXPECT_THAT(RelatedProducts(hub.upgradeCode), ElementsAre(next.productCode));
    EXPECT_EQ(ProductInfoText(next.productCode, INSTALLPROPERTY_VERSIONSTRING), L"1.2.0");
    EXPECT_EQ(FileVersionText(folder + L"\\Orvane Hub.exe"), L"1.2.0.0");
}

TEST_F(FixturePackages, OlderVersionIsRefusedOverANewerOne) {
    ASSERT_EQ(Install(fixtures::hub_1_2_0), ERROR_SUCCESS);
    EXPECT_EQ(Install(fixtures::hub_1_1_601), ERROR_INSTALL_FAILURE);
    EXPECT_THAT(RelatedProducts(fixtures::hub_1_2_0.upgradeCode), ElementsAre(fixtures::hub_1_2_0.productCode));
}

TEST_F(FixturePackages, FalseLaunchConditionRefusesTheInstall) {
    EXPECT_EQ(Install(fixtures::hub_launch_condition_false), ERROR_INSTALL_FAILURE);
    EXPECT_THAT(InstalledProductCodes(), Not(Contains(fixtures::hub_launch_condition_false.productCode)));
}

class LookAlike : public FixturePackages, public testing::WithParamInterface<FixturePackage> {};

TEST_P(LookAlike, InstallsWithItsOwnNameAndUpgradeCode) {
    const FixturePackage& package = GetParam();
    ASSERT_EQ(Install(package), ERROR_SUCCESS);
    EXPECT_EQ(ProductInfoText(package.productCode, INSTALLPROPERTY_INSTALLEDPRODUCTNAME), package.productName);
    EXPECT_EQ(ProductInfoText(package.productCode, INSTALLPROPERTY_VERSIONSTRING), L"1.1.601");
    EXPECT_THAT(RelatedProducts(package.upgradeCode), ElementsAre(package.productCode));
    EXPECT_TRUE(FileExists(FixtureInstallFolder(package.installFolder) + L"\\readme.txt"));
}

INSTANTIATE_TEST_SUITE_P(Packages, LookAlike,
                         testing::Values(fixtures::desk_1_1_601, fixtures::hub_other_upgrade_code,
                                         fixtures::hub_lower_case_name),
                         [](const testing::TestParamInfo<FixturePackage>& info) {
                             const std::wstring_view file = info.param.file;
                             std::string name;
                             for (wchar_t c : file.substr(0, file.size() - 4)) {
                                 name += std::iswalnum(c) ? static_cast<char>(c) : '_';
                             }
                             return name;
                         });

} // namespace
} // namespace orvh::test
