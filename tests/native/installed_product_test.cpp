// Queries over Windows Installer: which installed product is the edition, its version in
// both forms, its installation source and package, package codes and file versions.
#include "installer/installed_product.h"

#include "fake_file_system.h"
#include "fake_installer.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using test::Installed;

const std::wstring kHub = L"Orvane Hub", kCode = L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60}";

std::optional<std::wstring> Expand(std::wstring_view text) {
    std::wstring s(text);
    if (s.starts_with(L"%SRC%")) s.replace(0, 5, L"E:\\Src");
    return s;
}

class InstalledProduct : public testing::Test {
protected:
    test::FakeInstaller installer;
    test::FakeFileSystem fs;
    InstalledProductQueries q{installer, fs, Expand};
};

TEST_F(InstalledProduct, EditionVersionSourceAndPackage) {
    fs.AddFile(L"S:\\Setup\\p.msi");
    fs.AddFile(L"E:\\Src\\D\\p.msi");
    auto noPackageName = Installed(L"{A}", kHub, kCode, L"1.0.0");
    noPackageName.info.erase(L"PackageName");
    // Installed products; canonical and display version, source, whether its package is there.
    const std::tuple<std::vector<test::FakeInstaller::Product>, std::wstring, std::wstring, std::wstring, bool> rows[] = {
        {{}, L"", L"", L"", false},
        {{Installed(L"{A}", kHub, L"{OTHER}", L"1.4.155")}, L"", L"", L"", false},
        {{Installed(L"{A}", L"orvane hub", kCode, L"1.4.155")}, L"", L"", L"", false},
        {{Installed(L"{A}", kHub, L"", L"1.4.155")}, L"", L"", L"", false},
        {{Installed(L"{A}", kHub, kCode, L"1.4.155")}, L"0001.0004.0000.0155", L"1.4.155", L"S:\\Setup", true},
        {{Installed(L"{A}", L"Orvane Desk", kCode, L"9.9.9"), Installed(L"{B}", kHub, kCode, L"1.1.601", L"S:\\B\\"),
          Installed(L"{C}", kHub, L"{OTHER}", L"7.7.7", L"S:\\C"), Installed(L"{D}", kHub, kCode, L"1.2.0", L"%SRC%\\D\\")},
         L"0001.0001.0000.0601", L"1.1.601", L"E:\\Src\\D", false},
        {{noPackageName}, L"0001.0000.0000.0000", L"1.0.0", L"S:\\Setup", false},
        {{Installed(L"{A}", kHub, kCode, L"1.4")}, L"", L"", L"S:\\Setup", true},
        {{Installed(L"{A}", kHub, kCode, L"1.x.3")}, L"", L"", L"S:\\Setup", true},
        {{Installed(L"{A}", kHub, kCode, L"1.2.3.4")}, L"0001.0002.0000.0003", L"1.2.3", L"S:\\Setup", true},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [products, version, display, source, available] = rows[i];
        installer.products = products;
        EXPECT_EQ(GetInstalledVersion(q, kHub, kCode, true), version) << "row " << i;
        EXPECT_EQ(GetInstalledVersion(q, kHub, kCode, false), display) << "row " << i;
        EXPECT_EQ(GetInstallSource(q, kHub, kCode), source) << "row " << i;
        EXPECT_EQ(InstallSourceAvailable(q, kHub, kCode), available) << "row " << i;
    }
}

TEST_F(InstalledProduct, SessionsOnlyForTheNameAndNoUserInterface) {
    fs.AddFile(L"C:\\p.msi");
    installer.packageCodes[L"C:\\p.msi"] = L"{P}";
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
    fs.AddFile(L"C:\\bad.msi");
    EXPECT_EQ(GetPackageProductCode(q, L"C:\\missing.msi"), L"");
    EXPECT_TRUE(installer.uiLevels.empty());
    EXPECT_THROW(GetPackageProductCode(q, L"C:\\bad.msi"), PlatformError);
    installer.fileVersions = {{L"a.exe", L"1.0.0.79"}, {L"c.exe", L"1.2"}, {L"d.exe", L"1.x.0.0"}};
    EXPECT_EQ(GetFileVersion(q, L"a.exe", true), L"0001.0000.0000.0079");
    EXPECT_EQ(GetFileVersion(q, L"a.exe", false), L"1.0.79");
    EXPECT_EQ(GetFileVersion(q, L"c.exe", true), L"1.2");
    EXPECT_EQ(GetFileVersion(q, L"missing.exe", true), L"");
    EXPECT_THROW(GetFileVersion(q, L"d.exe", true), PlatformError);
}

} // namespace
} // namespace orvh
