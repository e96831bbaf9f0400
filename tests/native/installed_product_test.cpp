// Queries over Windows Installer: which installed product is the edition, its version in
// both forms, its installation source, whether its package is still there, package
// product codes and file versions.
#include "installer/installed_product.h"

#include "fake_file_system.h"
#include "fake_installer.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using test::Installed;
using test::Narrow;

const std::wstring kHub = L"Orvane Hub";
const std::wstring kCode = L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60}";

std::optional<std::wstring> Expand(std::wstring_view text) {
    std::wstring s(text);
    if (s.starts_with(L"%SRC%")) s.replace(0, 5, L"E:\\Src");
    return s;
}

class InstalledProduct : public testing::Test {
protected:
    InstalledProduct() {
        for (const auto* file : {L"S:\\Setup\\p.msi", L"E:\\Src\\q.msi", L"E:\\Src\\D\\p.msi", L"C:\\p.msi"}) fs.AddFile(file);
        installer.packageCodes[L"C:\\p.msi"] = L"{P}";
    }
    test::FakeInstaller installer;
    test::FakeFileSystem fs;
    InstalledProductQueries q{installer, fs, Expand};
};

TEST_F(InstalledProduct, EditionVersionSourceAndPackage) {
    auto noPackageName = Installed(L"{A}", kHub, kCode, L"1.0.0");
    noPackageName.info.erase(L"PackageName");
    const struct {
        std::vector<test::FakeInstaller::Product> products;
        std::wstring version, display, source;
        bool available;
    } rows[] = {
        {{}, L"", L"", L"", false},
        {{Installed(L"{A}", kHub, L"{OTHER}", L"1.4.155")}, L"", L"", L"", false},
        {{Installed(L"{A}", L"orvane hub", kCode, L"1.4.155")}, L"", L"", L"", false},
        {{Installed(L"{A}", kHub, L"", L"1.4.155")}, L"", L"", L"", false},
        {{Installed(L"{A}", kHub, kCode, L"1.4.155")}, L"0001.0004.0000.0155", L"1.4.155", L"S:\\Setup", true},
        {{Installed(L"{A}", L"Orvane Desk", kCode, L"9.9.9"), Installed(L"{B}", kHub, kCode, L"1.1.601", L"S:\\B\\", L"x"),
          Installed(L"{C}", kHub, L"{OTHER}", L"7.7.7", L"S:\\C"), Installed(L"{D}", kHub, kCode, L"1.2.0", L"%SRC%\\D\\")},
         L"0001.0001.0000.0601", L"1.1.601", L"E:\\Src\\D", false},
        {{Installed(L"{A}", kHub, kCode, L"1.0.0", L"%SRC%\\", L"q.msi")}, L"0001.0000.0000.0000", L"1.0.0", L"E:\\Src", true},
        {{noPackageName}, L"0001.0000.0000.0000", L"1.0.0", L"S:\\Setup", false},
        {{Installed(L"{A}", kHub, kCode, L"1.4")}, L"", L"", L"S:\\Setup", true},
        {{Installed(L"{A}", kHub, kCode, L"1.x.3")}, L"", L"", L"S:\\Setup", true},
        {{Installed(L"{A}", kHub, kCode, L"1.2.3.4")}, L"0001.0002.0000.0003", L"1.2.3", L"S:\\Setup", true},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        installer.products = rows[i].products;
        EXPECT_EQ(Narrow(GetInstalledVersion(q, kHub, kCode, true)), Narrow(rows[i].version)) << "row " << i;
        EXPECT_EQ(Narrow(GetInstalledVersion(q, kHub, kCode, false)), Narrow(rows[i].display)) << "row " << i;
        EXPECT_EQ(Narrow(GetInstallSource(q, kHub, kCode)), Narrow(rows[i].source)) << "row " << i;
        EXPECT_EQ(InstallSourceAvailable(q, kHub, kCode), rows[i].available) << "row " << i;
    }
}

TEST_F(InstalledProduct, SessionsOnlyForTheNameAndNoUserInterface) {
    installer.products = {Installed(L"{A}", L"Other", kCode, L"1.0.0"), Installed(L"{B}", kHub, kCode, L"1.0.0")};
    GetInstalledVersion(q, kHub, kCode, true);
    GetInstallSource(q, kHub, kCode);
    InstallSourceAvailable(q, kHub, kCode);
    EXPECT_EQ(GetPackageProductCode(q, L"C:\\p.msi"), L"{P}");
    GetFileVersion(q, L"C:\\x.exe", true);
    EXPECT_EQ(installer.opened, (std::vector<std::wstring>{L"{B}", L"{B}", L"{B}"}));
    EXPECT_EQ(installer.uiLevels, std::vector<int>(5, kUiLevelNone));
}

TEST_F(InstalledProduct, PackageCodesAndFileVersions) {
    EXPECT_EQ(GetPackageProductCode(q, L"C:\\missing.msi"), L"");
    EXPECT_TRUE(installer.uiLevels.empty());
    EXPECT_THROW(GetPackageProductCode(q, L"S:\\Setup\\p.msi"), PlatformError);
    installer.fileVersions = {{L"a.exe", L"1.0.0.79"}, {L"c.exe", L"1.2"}, {L"d.exe", L"1.x.0.0"}};
    EXPECT_EQ(GetFileVersion(q, L"a.exe", true), L"0001.0000.0000.0079");
    EXPECT_EQ(GetFileVersion(q, L"a.exe", false), L"1.0.79");
    EXPECT_EQ(GetFileVersion(q, L"c.exe", true), L"1.2");
    EXPECT_EQ(GetFileVersion(q, L"missing.exe", true), L"");
    EXPECT_THROW(GetFileVersion(q, L"d.exe", true), PlatformError);
}

} // namespace
} // namespace orvh
