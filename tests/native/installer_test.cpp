// Windows Installer's side: which installed product is the edition, its version, source
// and package; installing a full package from the installation source cache, deleting the
// previous source afterwards; applying a patch from the installed product's source.
#include "fakes.h"
#include "installer/installation.h"
#include "installer/installer_engine.h"
#include "installer/installed_product.h"
#include "system/folder_identity.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

// Windows Installer as a table: installed products, package product codes and file
// versions; a missing entry is a failed read. Installations and patches are recorded
// with the UI level in force and answer with a preset result code.
class FakeInstaller final : public InstallerEngine {
public:
    using Values = std::map<std::wstring, std::wstring>;
    struct Product {
        std::wstring code;
        Values info;
        Values properties;  // empty: the product cannot be opened
    };

    void SetUiLevel(int level) override { uiLevels.push_back(level); }
    std::vector<std::wstring> Products() override {
        std::vector<std::wstring> codes;
        for (const auto& p : products) codes.push_back(p.code);
        return codes;
    }
    std::optional<std::wstring> ProductInfo(const std::wstring& code, const std::wstring& name) override {
        return Lookup(code, name, &Product::info);
    }
    std::optional<std::wstring> ProductProperty(const std::wstring& code, const std::wstring& name) override {
        opened.push_back(code);
        return Lookup(code, name, &Product::properties);
    }
    std::wstring PackageProperty(const std::wstring& path, const std::wstring& name) override {
        if (name != L"ProductCode" || !packageCodes.count(path)) throw PlatformError(1620, L"Package", L"bad");
        return packageCodes.at(path);
    }
    std::optional<std::wstring> FileVersion(const std::wstring& path) override {
        return fileVersions.count(path) ? std::optional(fileVersions.at(path)) : std::nullopt;
    }
    unsigned InstallProduct(const std::wstring& path, const std::wstring& properties) override {
        changes.push_back(L"install " + path + L" [" + properties + L"] ui " + std::to_wstring(uiLevels.back()));
        return result;
    }
    unsigned ApplyPatch(const std::wstring& path, const std::wstring& properties) override {
        changes.push_back(L"patch " + path + L" [" + properties + L"] ui " + std::to_wstring(uiLevels.back()));
        return result;
    }

    std::vector<Product> products;
    Values packageCodes, fileVersions;
    std::vector<int> uiLevels;
    std::vector<std::wstring> opened, changes;
    unsigned result = 0;

private:
    std::optional<std::wstring> Lookup(const std::wstring& code, const std::wstring& name, Values Product::*values) {
        for (const auto& p : products) {
            if (p.code == code && (p.*values).count(name)) return (p.*values).at(name);
        }
        return std::nullopt;
    }
};

// An installed product with the four attributes the queries read.
FakeInstaller::Product Installed(std::wstring code, std::wstring name, std::wstring upgradeCode,
                                        std::wstring version, std::wstring source = L"S:\\Setup\\") {
    FakeInstaller::Values properties;
    if (!upgradeCode.empty()) properties[L"UpgradeCode"] = upgradeCode;
    return {code, {{L"InstalledProductName", name}, {L"VersionString", version}, {L"InstallSource", source},
                   {L"PackageName", L"p.msi"}}, properties};
}

const std::wstring kHub = L"Orvane Hub", kCode = L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60}";

std::optional<std::wstring> Expand(std::wstring_view text) {
    std::wstring s(text);
    if (s.starts_with(L"%SRC%")) s.replace(0, 5, L"E:\\Src");
    return s;
}

class InstalledProduct : public testing::Test {
protected:
    FakeInstaller installer;
    test::FakeFileSystem fs;
    InstalledProductQueries q{installer, fs, Expand};
};

TEST_F(InstalledProduct, EditionVersionSourceAndPackage) {
    fs.AddFile(L"S:\\Setup\\p.msi");
    fs.AddFile(L"E:\\Src\\D\\p.msi");
    auto noPackageName = Installed(L"{A}", kHub, kCode, L"1.0.0");
    noPackageName.info.erase(L"PackageName");
    // Installed products; canonical and display version, source, whether its package is there.
    const std::tuple<std::vector<FakeInstaller::Product>, std::wstring, std::wstring, std::wstring, bool> rows[] = {
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

using Log = std::vector<std::wstring>;

const std::wstring kHubCode = L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60}", kDeskCode = L"{D3E85B17-92AF-4C06-B471-5E2A8C9F1D34}";
const std::wstring kOld = L"{1111}", kNew = L"{2222}";
const std::wstring kCorrente = L"U:\\Upd\\Corrente", kSetup = L"U:\\Upd\\Setup";
const std::wstring kOldCache = kSetup + L"\\" + kOld, kNewCache = kSetup + L"\\" + kNew;

// Folders are the same when their texts are equal or when a row says so.
struct FakeFolderIdentity final : FolderIdentity {
    bool SameFolder(const std::wstring& a, const std::wstring& b) const override { return a == b || a + L"=" + b == same; }
    std::wstring same;
};

// A situation: U:\Upd\Corrente holds the full package (product code kNew) and a patch,
// the server edition is installed from `source` (none when empty); then the outcome.
struct Row {
    std::wstring source = kOldCache;
    std::wstring selected = kHubCode;
    std::wstring deskSource = L"";              // where the client edition is installed from
    std::wstring same = L"";                    // "a=b": two spellings of one folder
    std::optional<std::wstring> packageCode = kNew;  // nullopt: it cannot be read
    std::wstring readOnlyFile = L"";            // in the way of a copy
    unsigned resultCode = 0;
    std::wstring properties = L"";
    int uiLevel = kUiLevelBasicProgressOnly;
    bool result = true;
    Log log = {};
    Log changes = {};
};

struct Situation {
    explicit Situation(const Row& row) : selected(row.selected) {
        for (const auto& f : {L"U:", L"U:\\Upd", L"U:\\Upd\\Corrente", L"U:\\Upd\\Setup", L"D:\\Desk"}) fs.AddFolder(f);
        fs.AddFolder(row.source == kNewCache ? kNewCache : kOldCache);
        fs.AddFile(row.readOnlyFile, "locked", true);
        fs.AddFile(kCorrente + L"\\Orvane Hub.msi");
        fs.AddFile(kCorrente + L"\\ORVHPatch.msp");
        if (row.packageCode) installer.packageCodes[kCorrente + L"\\Orvane Hub.msi"] = *row.packageCode;
        if (!row.source.empty()) installer.products.push_back(Installed(kOld, L"Orvane Hub", kHubCode, L"1.1.601", row.source + L"\\"));
        if (!row.deskSource.empty()) installer.products.push_back(Installed(L"{D}", L"Orvane Desk", kDeskCode, L"1.1.601", row.deskSource));
        folders.same = row.same;
        installer.result = row.resultCode;
    }
    InstallerOperations Operations() { return {installer, fs, folders, Expand, selected}; }
    static std::optional<std::wstring> Expand(std::wstring_view text) {
        std::wstring s(text);
        if (s.starts_with(L"%UPD%")) s.replace(0, 5, L"U:\\Upd");
        return s;
    }

    FakeInstaller installer;
    test::FakeFileSystem fs;
    FakeFolderIdentity folders;
    std::wstring selected;
};

TEST(Installation, InstallPackage) {
    const std::wstring mkdir = L"mkdir " + kNewCache, rmdir = L"rmdir " + kOldCache;
    const std::wstring copy = L"copy " + kCorrente + L"\\Orvane Hub.msi -> " + kNewCache + L"\\Orvane Hub.msi";
    const std::wstring install = L"install " + kNewCache + L"\\Orvane Hub.msi [] ui 99";
    const std::wstring reinstall = L"REINSTALL=ALL REINSTALLMODE=dmus";
    const Row rows[] = {
        {.log = {mkdir, copy, rmdir}, .changes = {install}},
        {.source = kNewCache, .properties = reinstall, .uiLevel = kUiLevelDefault, .log = {copy},
         .changes = {L"install " + kNewCache + L"\\Orvane Hub.msi [" + reinstall + L"] ui 1"}},
        {.source = L"", .log = {mkdir, copy}, .changes = {install}},
        {.source = L"%UPD%\\Setup\\" + kOld, .log = {mkdir, copy, rmdir}, .changes = {install}},
        {.selected = kDeskCode, .deskSource = L"D:\\Desk\\", .log = {mkdir, copy, L"rmdir D:\\Desk"}, .changes = {install}},
        {.selected = L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}", .log = {mkdir, copy}, .changes = {install}},
        {.source = L"U:\\SETUP~1\\" + kNew, .same = L"U:\\SETUP~1\\" + kNew + L"=" + kNewCache, .log = {mkdir, copy},
         .changes = {install}},
        {.source = L"U:\\Upd", .log = {mkdir, copy}, .changes = {install}},
        {.source = L"U:\\", .log = {mkdir, copy}, .changes = {install}},
        {.source = L"U:\\Gone", .log = {mkdir, copy}, .changes = {install}},
        {.resultCode = 1603, .result = false, .log = {mkdir, copy}, .changes = {install}},
        {.packageCode = std::nullopt, .result = false},
        {.packageCode = L"", .result = false},
        {.readOnlyFile = kNewCache, .result = false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        Situation t(rows[i]);
        const auto& row = rows[i];
        EXPECT_EQ(t.Operations().InstallPackage(L"Orvane Hub.msi", kCorrente, kSetup, row.properties, row.uiLevel),
                  row.result) << "row " << i;
        EXPECT_EQ(t.fs.log, row.log) << "row " << i;
        EXPECT_EQ(t.installer.changes, row.changes) << "row " << i;
    }
}

TEST(Installation, ApplyPatchPackage) {
    const std::wstring target = kOldCache + L"\\ORVHPatch.msp";
    const std::wstring copy = L"copy " + kCorrente + L"\\ORVHPatch.msp -> " + target;
    const std::wstring patch = L"patch " + target + L" [REINSTALL=ALL REINSTALLMODE=emus] ui ";
    const Row rows[] = {
        {.log = {copy}, .changes = {patch + L"99"}},
        {.uiLevel = kUiLevelDefault, .log = {copy}, .changes = {patch + L"1"}},
        {.selected = kDeskCode, .deskSource = L"D:\\Desk\\", .log = {L"copy " + kCorrente + L"\\ORVHPatch.msp -> D:\\Desk\\ORVHPatch.msp"},
         .changes = {L"patch D:\\Desk\\ORVHPatch.msp [REINSTALL=ALL REINSTALLMODE=emus] ui 99"}},
        {.resultCode = 1603, .result = false, .log = {copy}, .changes = {patch + L"99"}},
        {.readOnlyFile = target, .result = false},
        {.selected = kDeskCode, .result = false},
        {.selected = L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}", .result = false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        Situation t(rows[i]);
        EXPECT_EQ(t.Operations().ApplyPatchPackage(kCorrente + L"\\ORVHPatch.msp", rows[i].uiLevel), rows[i].result)
            << "row " << i;
        EXPECT_EQ(t.fs.log, rows[i].log) << "row " << i;
        EXPECT_EQ(t.installer.changes, rows[i].changes) << "row " << i;
    }
}

TEST(Installation, TheRunGetsCanonicalVersionsAndSuccessIncludesRestarts) {
    Situation t(Row{});
    t.fs.AddFile(kOldCache + L"\\p.msi");
    EXPECT_EQ(t.Operations().GetInstalledVersion(L"Orvane Hub", kHubCode), L"0001.0001.0000.0601");
    EXPECT_TRUE(t.Operations().InstallSourceAvailable(L"Orvane Hub", kHubCode));
    const std::pair<unsigned, bool> codes[] = {{0, true}, {3010, true}, {1641, true}, {1602, false}, {1603, false}};
    for (const auto& [code, success] : codes) EXPECT_EQ(InstallerSucceeded(code), success) << code;
}

} // namespace
} // namespace orvh
