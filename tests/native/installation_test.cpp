#include "installer/installation.h"

#include "fake_file_system.h"
#include "fake_installer.h"
#include "system/folder_identity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

namespace orvh {
namespace {

using test::FakeInstaller;
using test::Installed;
using Call = FakeInstaller::Call;
using Log = std::vector<std::wstring>;

const std::wstring kHubCode = L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60}";
const std::wstring kDeskCode = L"{D3E85B17-92AF-4C06-B471-5E2A8C9F1D34}";
const std::wstring kOld = L"{11111111-1111-1111-1111-111111111111}";
const std::wstring kNew = L"{22222222-2222-2222-2222-222222222222}";
const std::wstring kCorrente = L"U:\\Upd\\Corrente";
const std::wstring kSetup = L"U:\\Upd\\Setup";
const std::wstring kPackage = L"Orvane Hub.msi";
const std::wstring kPatch = L"ORVHPatch.msp";
const std::wstring kReinstall = L"REINSTALL=ALL REINSTALLMODE=dmus";

// Folders are the same when their texts are equal or when the test says so; every
// question is recorded.
class FakeFolderIdentity final : public FolderIdentity {
public:
    std::vector<std::pair<std::wstring, std::wstring>> alsoSame;
    mutable std::vector<std::pair<std::wstring, std::wstring>> asked;

    bool SameFolder(const std::wstring& a, const std::wstring& b) const override {
        asked.emplace_back(a, b);
        const auto listed = [&](const std::wstring& x, const std::wstring& y) {
            return std::find(alsoSame.begin(), alsoSame.end(), std::make_pair(x, y)) != alsoSame.end();
        };
        return a == b || listed(a, b) || listed(b, a);
    }
};

std::optional<std::wstring> Expand(std::wstring_view text) {
    std::wstring s(text);
    if (s.rfind(L"%UPD%", 0) == 0) s.replace(0, 5, L"U:\\Upd");
    return s;
}

// An update folder U:\Upd whose Corrente holds the full package (product code kNew) and a
// patch; the installed products are added by each case.
class Scenario {
public:
    Scenario() {
        for (const auto* folder : {L"U:", L"U:\\Upd", L"U:\\Upd\\Corrente", L"U:\\Upd\\Setup", L"D:", L"D:\\Desk"}) {
            fs.AddFolder(folder);
        }
        fs.AddFile(kCorrente + L"\\" + kPackage, "new package");
        fs.AddFile(kCorrente + L"\\" + kPatch, "patch");
        installer.packageCodes[kCorrente + L"\\" + kPackage] = kNew;
    }

    // The server edition installed from the cache folder of product code `code`.
    void HubInstalledFrom(const std::wstring& code, const std::wstring& source) {
        installer.products.push_back(Installed(code, L"Orvane Hub", kHubCode, L"1.1.601", source + L"\\", kPackage));
    }
    void CacheFolderWithPackage(const std::wstring& code) {
        fs.AddFolder(kSetup + L"\\" + code);
        fs.AddFile(kSetup + L"\\" + code + L"\\" + kPackage, "old package");
    }

    bool Install(const std::wstring& properties = L"", int uiLevel = kUiLevelBasicProgressOnly) {
        fs.ClearLog();
        InstallerOperations operations(installer, fs, folders, Expand, selected);
        return operations.InstallPackage(kPackage, kCorrente, kSetup, properties, uiLevel);
    }
    bool Patch(int uiLevel = kUiLevelBasicProgressOnly) {
        fs.ClearLog();
        InstallerOperations operations(installer, fs, folders, Expand, selected);
        return operations.ApplyPatchPackage(kCorrente + L"\\" + kPatch, uiLevel);
    }

    FakeInstaller installer;
    test::FakeFileSystem fs;
    FakeFolderIdentity folders;
    std::wstring selected = kHubCode;
};

const std::wstring kOldCache = kSetup + L"\\" + kOld;
const std::wstring kNewCache = kSetup + L"\\" + kNew;
const std::wstring kCopyToNewCache = L"copy " + kCorrente + L"\\" + kPackage + L" -> " + kNewCache + L"\\" + kPackage;
const Call kInstallFromNewCache{L"install", kNewCache + L"\\" + kPackage, L"", kUiLevelBasicProgressOnly};

TEST(Installation, InstallPackage) {
    struct Case {
        const char* name;
        std::function<void(Scenario&)> arrange;
        bool result;
        Log log;
        std::vector<Call> installs;
        std::wstring properties = L"";
        int uiLevel = kUiLevelBasicProgressOnly;
    };
    const Case cases[] = {
        {"new product code: new cache folder, old source deleted",
         [](Scenario& t) { t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld); }, true,
         {L"mkdir " + kNewCache, kCopyToNewCache, L"rmdir " + kOldCache}, {kInstallFromNewCache}},
        {"reinstall of the same product code deletes nothing",
         [](Scenario& t) { t.HubInstalledFrom(kNew, kNewCache), t.CacheFolderWithPackage(kNew); }, true,
         {kCopyToNewCache}, {{L"install", kNewCache + L"\\" + kPackage, kReinstall, kUiLevelBasicProgressOnly}},
         kReinstall},
        {"retry at the default level",
         [](Scenario& t) { t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld); }, true,
         {L"mkdir " + kNewCache, kCopyToNewCache, L"rmdir " + kOldCache},
         {{L"install", kNewCache + L"\\" + kPackage, L"", kUiLevelDefault}}, L"", kUiLevelDefault},
        {"existing cache folder is used", [](Scenario& t) { t.fs.AddFolder(kNewCache); }, true,
         {kCopyToNewCache}, {kInstallFromNewCache}},
        {"no previous source: nothing deleted", [](Scenario&) {}, true,
         {L"mkdir " + kNewCache, kCopyToNewCache}, {kInstallFromNewCache}},
        {"previous source through an environment reference",
         [](Scenario& t) { t.HubInstalledFrom(kOld, L"%UPD%\\Setup\\" + kOld), t.CacheFolderWithPackage(kOld); },
         true, {L"mkdir " + kNewCache, kCopyToNewCache, L"rmdir " + kOldCache}, {kInstallFromNewCache}},
        {"client edition's source",
         [](Scenario& t) {
             t.selected = kDeskCode;
             t.HubInstalledFrom(kOld, kOldCache);
             t.installer.products.push_back(Installed(L"{D}", L"Orvane Desk", kDeskCode, L"1.1.601", L"D:\\Desk\\"));
         },
         true, {L"mkdir " + kNewCache, kCopyToNewCache, L"rmdir D:\\Desk"}, {kInstallFromNewCache}},
        {"selected code of no edition: no previous source",
         [](Scenario& t) {
             t.selected = L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}";
             t.HubInstalledFrom(kOld, kOldCache);
         },
         true, {L"mkdir " + kNewCache, kCopyToNewCache}, {kInstallFromNewCache}},
        {"another spelling of the cache folder is not deleted",
         [](Scenario& t) {
             t.fs.AddFolder(kNewCache);
             t.HubInstalledFrom(kNew, L"u:\\upd\\SETUP~1\\" + kNew);
             t.folders.alsoSame = {{L"u:\\upd\\SETUP~1\\" + kNew, kNewCache}};
         },
         true, {kCopyToNewCache}, {kInstallFromNewCache}},
        {"a previous source holding the cache folder is not deleted",
         [](Scenario& t) { t.HubInstalledFrom(kOld, L"U:\\Upd"); }, true,
         {L"mkdir " + kNewCache, kCopyToNewCache}, {kInstallFromNewCache}},
        {"a failed deletion of the previous source is ignored",
         [](Scenario& t) { t.HubInstalledFrom(kOld, L"U:\\Gone"); }, true, {L"mkdir " + kNewCache, kCopyToNewCache},
         {kInstallFromNewCache}},
        {"restart required counts as installed",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.installer.installResult = 3010;
         },
         true, {L"mkdir " + kNewCache, kCopyToNewCache, L"rmdir " + kOldCache}, {kInstallFromNewCache}},
        {"restart initiated counts as installed",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.installer.installResult = 1641;
         },
         true, {L"mkdir " + kNewCache, kCopyToNewCache, L"rmdir " + kOldCache}, {kInstallFromNewCache}},
        // Failures: false, and the previous source stays.
        {"package missing",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.fs.DeleteFile(kCorrente + L"\\" + kPackage);
         },
         false, {}, {}},
        {"package without readable product code",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.installer.packageCodes.clear();
         },
         false, {}, {}},
        {"package with an empty product code",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.installer.packageCodes[kCorrente + L"\\" + kPackage] = L"";
         },
         false, {}, {}},
        {"cache folder cannot be created",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.fs.AddFile(kNewCache);
         },
         false, {}, {}},
        {"copy refused",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.fs.AddFolder(kNewCache);
             t.fs.AddFile(kNewCache + L"\\" + kPackage, "locked", true);
         },
         false, {}, {}},
        {"installation failed",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.installer.installResult = 1603;
         },
         false, {L"mkdir " + kNewCache, kCopyToNewCache}, {kInstallFromNewCache}},
        {"installation cancelled",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.installer.installResult = 1602;
         },
         false, {L"mkdir " + kNewCache, kCopyToNewCache}, {kInstallFromNewCache}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario t;
        c.arrange(t);
        const bool hadOldSource = t.fs.FolderExists(kOldCache);
        EXPECT_EQ(t.Install(c.properties, c.uiLevel), c.result);
        EXPECT_EQ(t.fs.Log(), c.log);
        EXPECT_EQ(t.installer.changes, c.installs);
        if (!c.result) {
            EXPECT_EQ(t.fs.FolderExists(kOldCache), hadOldSource);
        }
    }
}

TEST(Installation, TheDeletionAsksWhetherThePreviousSourceIsTheCacheFolder) {
    Scenario s;
    s.HubInstalledFrom(kOld, kOldCache);
    s.CacheFolderWithPackage(kOld);
    ASSERT_TRUE(s.Install());
    // The cache folder first, then its parents up to the drive's root.
    const std::vector<std::pair<std::wstring, std::wstring>> asked = {
        {kOldCache, kNewCache}, {kOldCache, kSetup}, {kOldCache, L"U:\\Upd"}, {kOldCache, L"U:\\"}};
    EXPECT_EQ(s.folders.asked, asked);

    // The same question answered "same" keeps the folder.
    Scenario t;
    t.HubInstalledFrom(kOld, kOldCache);
    t.CacheFolderWithPackage(kOld);
    t.folders.alsoSame = {{kOldCache, kNewCache}};
    ASSERT_TRUE(t.Install());
    EXPECT_TRUE(t.fs.FolderExists(kOldCache));
}

TEST(Installation, NoDeletionIsConsideredAfterAFailure) {
    Scenario s;
    s.HubInstalledFrom(kOld, kOldCache);
    s.installer.installResult = 1603;
    EXPECT_FALSE(s.Install());
    EXPECT_TRUE(s.folders.asked.empty());
}

TEST(Installation, ApplyPatchPackage) {
    const Call patchHub{L"patch", L"U:\\Upd\\Setup\\" + kOld + L"\\" + kPatch, L"REINSTALL=ALL REINSTALLMODE=emus",
                        kUiLevelBasicProgressOnly};
    const std::wstring copyToHub = L"copy " + kCorrente + L"\\" + kPatch + L" -> " + patchHub.path;
    struct Case {
        const char* name;
        std::function<void(Scenario&)> arrange;
        bool result;
        Log log;
        std::vector<Call> patches;
        int uiLevel = kUiLevelBasicProgressOnly;
    };
    const Case cases[] = {
        {"server edition: copied next to the source and applied from there",
         [](Scenario& t) { t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld); }, true,
         {copyToHub}, {patchHub}},
        {"at the default level",
         [](Scenario& t) { t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld); }, true,
         {copyToHub}, {{patchHub.kind, patchHub.path, patchHub.properties, kUiLevelDefault}}, kUiLevelDefault},
        {"an existing patch file is replaced",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.fs.AddFile(kOldCache + L"\\" + kPatch, "older patch");
         },
         true, {copyToHub}, {patchHub}},
        {"client edition",
         [](Scenario& t) {
             t.selected = kDeskCode;
             t.HubInstalledFrom(kOld, kOldCache);
             t.installer.products.push_back(Installed(L"{D}", L"Orvane Desk", kDeskCode, L"1.1.601", L"D:\\Desk\\"));
         },
         true, {L"copy " + kCorrente + L"\\" + kPatch + L" -> D:\\Desk\\" + kPatch},
         {{L"patch", L"D:\\Desk\\" + kPatch, L"REINSTALL=ALL REINSTALLMODE=emus", kUiLevelBasicProgressOnly}}},
        {"restart required counts as patched",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.installer.patchResult = 3010;
         },
         true, {copyToHub}, {patchHub}},
        {"patch refused",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.installer.patchResult = 1627;
         },
         false, {copyToHub}, {patchHub}},
        {"patch failed",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.installer.patchResult = 1603;
         },
         false, {copyToHub}, {patchHub}},
        {"read-only patch file in the source refuses the copy",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.fs.AddFile(kOldCache + L"\\" + kPatch, "older patch", true);
         },
         false, {}, {}},
        {"source folder gone", [](Scenario& t) { t.HubInstalledFrom(kOld, kOldCache); }, false, {}, {}},
        {"selected edition not installed",
         [](Scenario& t) {
             t.selected = kDeskCode;
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
         },
         false, {}, {}},
        {"patch file missing",
         [](Scenario& t) {
             t.HubInstalledFrom(kOld, kOldCache), t.CacheFolderWithPackage(kOld);
             t.fs.DeleteFile(kCorrente + L"\\" + kPatch);
         },
         false, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario t;
        c.arrange(t);
        EXPECT_EQ(t.Patch(c.uiLevel), c.result);
        EXPECT_EQ(t.fs.Log(), c.log);
        EXPECT_EQ(t.installer.changes, c.patches);
    }
}

TEST(Installation, PatchForNoEditionAsksNothingAndCopiesNothing) {
    Scenario s;
    s.HubInstalledFrom(kOld, kOldCache);
    s.CacheFolderWithPackage(kOld);
    for (const auto& code : {std::wstring(L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}"), std::wstring(L"")}) {
        s.selected = code;
        EXPECT_FALSE(s.Patch());
        EXPECT_TRUE(s.fs.Log().empty());
        EXPECT_EQ(s.installer.calls, 0);
    }
}

TEST(Installation, QueriesOfTheRunUseTheCanonicalVersion) {
    Scenario s;
    s.HubInstalledFrom(kOld, kOldCache);
    s.CacheFolderWithPackage(kOld);
    InstallerOperations operations(s.installer, s.fs, s.folders, Expand, s.selected);
    EXPECT_EQ(operations.GetInstalledVersion(L"Orvane Hub", kHubCode), L"0001.0001.0000.0601");
    EXPECT_TRUE(operations.InstallSourceAvailable(L"Orvane Hub", kHubCode));
    EXPECT_FALSE(operations.InstallSourceAvailable(L"Orvane Desk", kDeskCode));
}

TEST(InstallerResult, SuccessCodes) {
    const std::pair<unsigned, bool> cases[] = {{0, true},     {3010, true},  {1641, true}, {1602, false},
                                               {1603, false}, {1620, false}, {1627, false}, {1638, false}};
    for (const auto& [code, success] : cases) EXPECT_EQ(InstallerSucceeded(code), success) << code;
}

} // namespace
} // namespace orvh
