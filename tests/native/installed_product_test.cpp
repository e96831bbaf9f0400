#include "installer/installed_product.h"

#include "fake_file_system.h"
#include "fake_installer.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

const std::wstring kHub = L"Orvane Hub";
const std::wstring kHubCode = L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60}";

using test::FakeInstaller;
using test::Installed;

std::optional<std::wstring> Expand(std::wstring_view text) {
    std::wstring s(text);
    if (s.rfind(L"%SRC%", 0) == 0) s.replace(0, 5, L"E:\\Src");
    return s;
}

class InstalledProductTest : public testing::Test {
protected:
    InstalledProductQueries q{installer, fs, Expand};
    FakeInstaller installer;
    test::FakeFileSystem fs;
};

TEST_F(InstalledProductTest, FindsTheEditionByExactNameAndUpgradeCode) {
    struct Case {
        const char* name;
        std::vector<FakeInstaller::Product> products;
        std::wstring version, display, source;
    };
    const Case cases[] = {
        {"nothing installed", {}, L"", L"", L""},
        {"other upgrade code", {Installed(L"{A}", kHub, L"{OTHER}", L"1.4.155")}, L"", L"", L""},
        {"name differs in case", {Installed(L"{A}", L"orvane hub", kHubCode, L"1.4.155")}, L"", L"", L""},
        {"upgrade code in lower case",
         {Installed(L"{A}", kHub, L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}", L"1.4.155")}, L"", L"", L""},
        {"product cannot be opened", {Installed(L"{A}", kHub, L"", L"1.4.155")}, L"", L"", L""},
        {"match", {Installed(L"{A}", kHub, kHubCode, L"1.4.155")}, L"0001.0004.0000.0155", L"1.4.155", L"S:\\Setup"},
        {"first for version, last for source",
         {Installed(L"{A}", L"Orvane Desk", kHubCode, L"9.9.9"), Installed(L"{B}", kHub, kHubCode, L"1.1.601", L"S:\\B\\"),
          Installed(L"{C}", kHub, L"{OTHER}", L"7.7.7", L"S:\\C"), Installed(L"{D}", kHub, kHubCode, L"1.2.0", L"%SRC%\\D\\")},
         L"0001.0001.0000.0601", L"1.1.601", L"E:\\Src\\D"},
        {"skips a product whose session fails",
         {Installed(L"{A}", kHub, L"", L"3.0.0"), Installed(L"{B}", kHub, kHubCode, L"01.04.0155")},
         L"0001.0004.0000.0155", L"1.4.155", L"S:\\Setup"},
        {"two groups", {Installed(L"{A}", kHub, kHubCode, L"1.4")}, L"", L"", L"S:\\Setup"},
        {"group no number", {Installed(L"{A}", kHub, kHubCode, L"1.x.3")}, L"", L"", L"S:\\Setup"},
        {"groups after the third ignored", {Installed(L"{A}", kHub, kHubCode, L"1.2.3.4")}, L"0001.0002.0000.0003",
         L"1.2.3", L"S:\\Setup"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        installer.products = c.products;
        EXPECT_EQ(GetInstalledVersion(q, kHub, kHubCode, true), c.version);
        EXPECT_EQ(GetInstalledVersion(q, kHub, kHubCode, false), c.display);
        EXPECT_EQ(GetInstallSource(q, kHub, kHubCode), c.source);
    }
}

TEST_F(InstalledProductTest, SessionsAreOpenedOnlyForProductsWithTheName) {
    installer.products = {Installed(L"{A}", L"Something", kHubCode, L"1.0.0"), Installed(L"{B}", kHub, kHubCode, L"1.0.0")};
    GetInstalledVersion(q, kHub, kHubCode, true);
    EXPECT_EQ(installer.opened, std::vector<std::wstring>{L"{B}"});
}

TEST_F(InstalledProductTest, EveryQueryRunsWithoutUserInterface) {
    installer.products = {Installed(L"{A}", kHub, kHubCode, L"1.0.0")};
    fs.AddFolder(L"C:");
    fs.AddFile(L"C:\\p.msi");
    installer.packageCodes[L"C:\\p.msi"] = L"{P}";
    GetInstalledVersion(q, kHub, kHubCode, true);
    GetInstallSource(q, kHub, kHubCode);
    InstallSourceAvailable(q, kHub, kHubCode);
    GetPackageProductCode(q, L"C:\\p.msi");
    GetFileVersion(q, L"C:\\x.exe", true);
    EXPECT_EQ(installer.uiLevels, std::vector<int>(5, kUiLevelNone));
}

TEST_F(InstalledProductTest, InstallSourceAvailableLooksForThePackageOfTheFirstMatch) {
    fs.AddFolder(L"S:");
    fs.AddFolder(L"S:\\Setup");
    fs.AddFolder(L"E:");
    fs.AddFolder(L"E:\\Src");
    fs.AddFile(L"S:\\Setup\\p.msi");
    fs.AddFile(L"E:\\Src\\q.msi");
    struct Case {
        const char* name;
        std::vector<FakeInstaller::Product> products;
        bool available;
    };
    auto noPackageName = Installed(L"{A}", kHub, kHubCode, L"1.0.0");
    noPackageName.info.erase(L"PackageName");
    const Case cases[] = {
        {"present", {Installed(L"{A}", kHub, kHubCode, L"1.0.0")}, true},
        {"expanded source", {Installed(L"{A}", kHub, kHubCode, L"1.0.0", L"%SRC%\\", L"q.msi")}, true},
        {"deleted package", {Installed(L"{A}", kHub, kHubCode, L"1.0.0", L"S:\\Setup\\", L"gone.msi")}, false},
        {"first match decides",
         {Installed(L"{A}", kHub, kHubCode, L"1.0.0", L"S:\\Setup", L"gone.msi"), Installed(L"{B}", kHub, kHubCode, L"1.0.0")},
         false},
        {"name read fails", {noPackageName}, false},
        {"no match", {Installed(L"{A}", kHub, L"{OTHER}", L"1.0.0")}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        installer.products = c.products;
        EXPECT_EQ(InstallSourceAvailable(q, kHub, kHubCode), c.available);
    }
}

TEST_F(InstalledProductTest, PackageProductCodeOfAMissingFileAsksNoInstaller) {
    EXPECT_EQ(GetPackageProductCode(q, L"C:\\missing.msi"), L"");
    EXPECT_EQ(installer.calls, 0);
}

TEST_F(InstalledProductTest, PackageProductCodeFailuresGoToTheCaller) {
    fs.AddFolder(L"C:");
    fs.AddFile(L"C:\\good.msi");
    fs.AddFile(L"C:\\bad.msi");
    installer.packageCodes[L"C:\\good.msi"] = L"{1111}";
    EXPECT_EQ(GetPackageProductCode(q, L"C:\\good.msi"), L"{1111}");
    EXPECT_THROW(GetPackageProductCode(q, L"C:\\bad.msi"), PlatformError);
}

TEST_F(InstalledProductTest, FileVersionInBothForms) {
    installer.fileVersions = {{L"a.exe", L"1.0.0.79"}, {L"b.exe", L"1.4.155"}, {L"c.exe", L"1.2"}, {L"d.exe", L"1.x.0.0"}};
    EXPECT_EQ(GetFileVersion(q, L"a.exe", true), L"0001.0000.0000.0079");
    EXPECT_EQ(GetFileVersion(q, L"a.exe", false), L"1.0.79");
    EXPECT_EQ(GetFileVersion(q, L"b.exe", true), L"0001.0004.0000.0155");
    EXPECT_EQ(GetFileVersion(q, L"c.exe", true), L"1.2");
    EXPECT_EQ(GetFileVersion(q, L"missing.exe", true), L"");
    EXPECT_THROW(GetFileVersion(q, L"d.exe", true), PlatformError);
}

} // namespace
} // namespace orvh
