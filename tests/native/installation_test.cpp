// Installing a full package from its copy in the installation source cache, deleting the
// previous source afterwards, and applying a patch from the installed product's source.
#include "installer/installation.h"

#include "fake_file_system.h"
#include "fake_installer.h"
#include "system/folder_identity.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

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
        if (!row.source.empty()) installer.products.push_back(test::Installed(kOld, L"Orvane Hub", kHubCode, L"1.1.601", row.source + L"\\"));
        if (!row.deskSource.empty()) installer.products.push_back(test::Installed(L"{D}", L"Orvane Desk", kDeskCode, L"1.1.601", row.deskSource));
        folders.same = row.same;
        installer.result = row.resultCode;
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
        {.resultCode = 3010, .log = {mkdir, copy, rmdir}, .changes = {install}},
        {.resultCode = 1641, .log = {mkdir, copy, rmdir}, .changes = {install}},
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
        {.resultCode = 3010, .log = {copy}, .changes = {patch + L"99"}},
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
