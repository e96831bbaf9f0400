// Installing a full package from its copy in the installation source cache, deleting the
// previous source afterwards, and applying a patch from the installed product's source.
#include "installer/installation.h"

#include "fake_file_system.h"
#include "fake_installer.h"
#include "system/folder_identity.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <set>

namespace orvh {
namespace {

using test::Installed;
using Log = std::vector<std::wstring>;

const std::wstring kHubCode = L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60}";
const std::wstring kDeskCode = L"{D3E85B17-92AF-4C06-B471-5E2A8C9F1D34}";
const std::wstring kOld = L"{11111111-1111-1111-1111-111111111111}";
const std::wstring kNew = L"{22222222-2222-2222-2222-222222222222}";
const std::wstring kCorrente = L"U:\\Upd\\Corrente";
const std::wstring kSetup = L"U:\\Upd\\Setup";
const std::wstring kOldCache = kSetup + L"\\" + kOld;
const std::wstring kNewCache = kSetup + L"\\" + kNew;
const std::wstring kReinstall = L"REINSTALL=ALL REINSTALLMODE=dmus";

// Folders are the same when their texts are equal or when the test says so; every
// question is recorded.
class FakeFolderIdentity final : public FolderIdentity {
public:
    bool SameFolder(const std::wstring& a, const std::wstring& b) const override {
        asked.push_back(a + L" ? " + b);
        return a == b || alsoSame.count(a + L" ? " + b);
    }
    std::set<std::wstring> alsoSame;
    mutable std::vector<std::wstring> asked;
};

// One situation: an update folder U:\Upd whose Corrente holds the full package and a
// patch, the server edition installed from the cache folder of kOld, and what a row
// changes; then what the operation returned and did.
struct Row {
    std::wstring source = kOldCache;  // the server edition's installation source; empty: not installed
    std::wstring selected = kHubCode;
    bool deskInstalled = false;       // the client edition, installed from D:\Desk
    std::wstring alsoSame;            // a folder question answered "same" although the texts differ
    std::optional<std::wstring> packageCode = kNew;  // nullopt: it cannot be read
    bool packageMissing = false;
    bool cacheExists = false;
    std::wstring readOnlyFile;        // a read-only file in the way
    unsigned resultCode = 0;
    std::wstring properties = L"";
    int uiLevel = kUiLevelBasicProgressOnly;
    bool result = true;
    Log log;
    Log changes;
};

struct Situation {
    explicit Situation(const Row& row) : selected(row.selected) {
        for (const auto* folder : {L"U:", L"U:\\Upd", kCorrente.c_str(), kSetup.c_str(), kOldCache.c_str(), L"D:\\Desk"}) {
            fs.AddFolder(folder);
        }
        if (row.cacheExists) fs.AddFolder(kNewCache);
        if (!row.readOnlyFile.empty()) fs.AddFile(row.readOnlyFile, "locked", true);
        if (!row.packageMissing) fs.AddFile(kCorrente + L"\\Orvane Hub.msi", "new package");
        fs.AddFile(kCorrente + L"\\ORVHPatch.msp", "patch");
        if (row.packageCode) installer.packageCodes[kCorrente + L"\\Orvane Hub.msi"] = *row.packageCode;
        if (!row.source.empty()) {
            installer.products.push_back(Installed(kOld, L"Orvane Hub", kHubCode, L"1.1.601", row.source + L"\\"));
        }
        if (row.deskInstalled) {
            installer.products.push_back(Installed(L"{D}", L"Orvane Desk", kDeskCode, L"1.1.601", L"D:\\Desk\\"));
        }
        if (!row.alsoSame.empty()) folders.alsoSame = {row.alsoSame};
        installer.installResult = installer.patchResult = row.resultCode;
    }
    InstallerOperations Operations() { return {installer, fs, folders, Expand, selected}; }
    static std::optional<std::wstring> Expand(std::wstring_view text) {
        std::wstring s(text);
        if (s.starts_with(L"%UPD%")) s.replace(0, 5, L"U:\\Upd");
        return s;
    }

    test::FakeInstaller installer;
    test::FakeFileSystem fs;
    FakeFolderIdentity folders;
    std::wstring selected;
};

const std::wstring kPackage = kCorrente + L"\\Orvane Hub.msi";
const std::wstring kMkdir = L"mkdir " + kNewCache;
const std::wstring kCopy = L"copy " + kPackage + L" -> " + kNewCache + L"\\Orvane Hub.msi";
const std::wstring kInstall = L"install " + kNewCache + L"\\Orvane Hub.msi [] ui 99";
const std::wstring kRmdir = L"rmdir " + kOldCache;
const std::wstring kLowerCode = L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}";

TEST(Installation, InstallPackage) {
    const Row rows[] = {
        {.log = {kMkdir, kCopy, kRmdir}, .changes = {kInstall}},
        {.source = kNewCache, .cacheExists = true, .properties = kReinstall, .uiLevel = kUiLevelDefault, .log = {kCopy},
         .changes = {L"install " + kNewCache + L"\\Orvane Hub.msi [" + kReinstall + L"] ui 1"}},
        {.source = L"", .log = {kMkdir, kCopy}, .changes = {kInstall}},
        {.source = L"%UPD%\\Setup\\" + kOld, .log = {kMkdir, kCopy, kRmdir}, .changes = {kInstall}},
        {.selected = kDeskCode, .deskInstalled = true, .log = {kMkdir, kCopy, L"rmdir D:\\Desk"}, .changes = {kInstall}},
        {.selected = kLowerCode, .log = {kMkdir, kCopy}, .changes = {kInstall}},
        {.source = L"u:\\upd\\SETUP~1\\" + kNew, .alsoSame = L"u:\\upd\\SETUP~1\\" + kNew + L" ? " + kNewCache,
         .log = {kMkdir, kCopy}, .changes = {kInstall}},
        {.source = L"U:\\Upd", .log = {kMkdir, kCopy}, .changes = {kInstall}},
        {.source = L"U:\\Gone", .log = {kMkdir, kCopy}, .changes = {kInstall}},
        {.resultCode = 3010, .log = {kMkdir, kCopy, kRmdir}, .changes = {kInstall}},
        {.resultCode = 1641, .log = {kMkdir, kCopy, kRmdir}, .changes = {kInstall}},
        {.resultCode = 1603, .result = false, .log = {kMkdir, kCopy}, .changes = {kInstall}},
        {.packageMissing = true, .result = false},
        {.packageCode = std::nullopt, .result = false},
        {.packageCode = L"", .result = false},
        {.readOnlyFile = kNewCache, .result = false},
        {.cacheExists = true, .readOnlyFile = kNewCache + L"\\Orvane Hub.msi", .result = false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        Situation t(rows[i]);
        const bool result =
            t.Operations().InstallPackage(L"Orvane Hub.msi", kCorrente, kSetup, rows[i].properties, rows[i].uiLevel);
        EXPECT_EQ(result, rows[i].result) << "row " << i;
        EXPECT_EQ(t.fs.log, rows[i].log) << "row " << i;
        EXPECT_EQ(t.installer.changes, rows[i].changes) << "row " << i;
    }
}

TEST(Installation, TheCacheFolderAndItsParentsAreAskedAbout) {
    Situation t(Row{});
    ASSERT_TRUE(t.Operations().InstallPackage(L"Orvane Hub.msi", kCorrente, kSetup, L"", kUiLevelDefault));
    const Log asked = {kOldCache + L" ? " + kNewCache, kOldCache + L" ? " + kSetup, kOldCache + L" ? U:\\Upd",
                       kOldCache + L" ? U:\\"};
    EXPECT_EQ(t.folders.asked, asked);
}

TEST(Installation, ApplyPatchPackage) {
    const std::wstring target = kOldCache + L"\\ORVHPatch.msp";
    const std::wstring copy = L"copy " + kCorrente + L"\\ORVHPatch.msp -> " + target;
    const std::wstring applied = L"patch " + target + L" [REINSTALL=ALL REINSTALLMODE=emus] ui ";
    const Row rows[] = {
        {.log = {copy}, .changes = {applied + L"99"}},
        {.uiLevel = kUiLevelDefault, .log = {copy}, .changes = {applied + L"1"}},
        {.selected = kDeskCode, .deskInstalled = true, .log = {L"copy " + kCorrente + L"\\ORVHPatch.msp -> D:\\Desk\\ORVHPatch.msp"},
         .changes = {L"patch D:\\Desk\\ORVHPatch.msp [REINSTALL=ALL REINSTALLMODE=emus] ui 99"}},
        {.resultCode = 3010, .log = {copy}, .changes = {applied + L"99"}},
        {.resultCode = 1603, .result = false, .log = {copy}, .changes = {applied + L"99"}},
        {.readOnlyFile = target, .result = false},
        {.selected = kDeskCode, .result = false},
        {.selected = kLowerCode, .result = false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        Situation t(rows[i]);
        EXPECT_EQ(t.Operations().ApplyPatchPackage(kCorrente + L"\\ORVHPatch.msp", rows[i].uiLevel), rows[i].result)
            << "row " << i;
        EXPECT_EQ(t.fs.log, rows[i].log) << "row " << i;
        EXPECT_EQ(t.installer.changes, rows[i].changes) << "row " << i;
    }
}

TEST(Installation, InstalledVersionAndSourceOfTheRunAreCanonical) {
    Situation t(Row{});
    t.fs.AddFile(kOldCache + L"\\p.msi");
    EXPECT_EQ(t.Operations().GetInstalledVersion(L"Orvane Hub", kHubCode), L"0001.0001.0000.0601");
    EXPECT_TRUE(t.Operations().InstallSourceAvailable(L"Orvane Hub", kHubCode));
    const std::pair<unsigned, bool> codes[] = {{0, true}, {3010, true}, {1641, true}, {1602, false}, {1603, false}};
    for (const auto& [code, success] : codes) EXPECT_EQ(InstallerSucceeded(code), success) << code;
}

} // namespace
} // namespace orvh
