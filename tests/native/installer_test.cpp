// Windows Installer's side: the installed edition's version, source and package; a full
// package installed from a cache folder (the previous source deleted), a patch applied.
#include "common/journal.h"
#include "fakes.h"
#include "rows.h"
#include "installer/busy_installer.h"
#include "installer/installation.h"
#include "installer/installed_product.h"
#include "system/folder_identity.h"
#include "system/signatures.h"

#include <gtest/gtest.h>

#include <deque>

namespace orvh {
namespace {

using FakeInstaller = test::FakeInstallerEngine;
using test::Installed;

// Holds a copy that has the verified file's content; holds and journal lines go to the file
// system's log, in order with its changes.
struct FakeHolds final : SignatureVerifier, Journal {
    explicit FakeHolds(test::FakeFileSystem& fs) : fs(fs) {}
    FileSignature Verify(const std::wstring&, bool) override { return {}; }
    bool HoldExactCopy(const std::wstring& copy, const std::wstring& verified) override {
        if (copiesDiffer || !fs.SameContent(copy, verified)) return false;
        fs.log.push_back(L"hold " + copy);
        return true;
    }
    void Hold(const std::wstring& path) override { fs.log.push_back(L"hold " + path); }
    void Release(const std::wstring& path) override { fs.log.push_back(L"release " + path); }
    void Write(std::wstring_view event) override { fs.log.push_back(L"journal " + std::wstring(event)); }
    test::FakeFileSystem& fs;
    bool copiesDiffer = false; // each copy comes out unlike what it was copied from
};

const std::wstring kHub = L"Orvane Hub", kCode = L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60}";

std::optional<std::wstring> Expand(std::wstring_view text) {
    return text.starts_with(L"%UPD%") ? L"U:\\Upd" + std::wstring(text.substr(5)) : std::wstring(text);
}

// Folders are the same when their texts are equal or when a row says so ("a=b").
TEST(InstalledProduct, EditionVersionSourceAndPackage) {
    FakeInstaller installer;
    test::FakeFileSystem fs;
    const test::FakeFolderIdentity folders;
    const test::FakeConversions numbers;
    const InstalledProductQueries q{installer, fs, Expand, numbers};
    FakeHolds holds(fs);
    InstallerOperations operations(installer, fs, folders, Expand, numbers, kCode, holds, holds);  // what the run asks
    fs.AddFile(L"S:\\Setup\\p.msi");
    fs.AddFile(L"U:\\Upd\\D\\p.msi");
    auto noPackageName = Installed(L"{A}", kHub, kCode, L"1.0.0");
    noPackageName.erase(L"PackageName");
    // Installed products; canonical and display version, source, whether its package is there.
    const std::tuple<std::vector<FakeInstaller::Values>, std::wstring, std::wstring, std::wstring, bool> rows[] = {
        {{}, L"", L"", L"", false},
        {{Installed(L"{A}", kHub, L"{OTHER}", L"1.4.155")}, L"", L"", L"", false},
        {{Installed(L"{A}", L"orvane hub", kCode, L"1.4.155")}, L"", L"", L"", false},
        {{Installed(L"{A}", kHub, L"", L"1.4.155")}, L"", L"", L"", false},
        {{Installed(L"{A}", kHub, kCode, L"1.4.155")}, L"0001.0004.0000.0155", L"1.4.155", L"S:\\Setup", true},
        {{Installed(L"{A}", L"Orvane Desk", kCode, L"9.9.9"), Installed(L"{B}", kHub, kCode, L"1.1.601", L"S:\\B\\"),
          Installed(L"{C}", kHub, L"{OTHER}", L"7.7.7", L"S:\\C"), Installed(L"{D}", kHub, kCode, L"1.2.0", L"%UPD%\\D\\")},
         L"0001.0001.0000.0601", L"1.1.601", L"U:\\Upd\\D", false},
        {{noPackageName}, L"0001.0000.0000.0000", L"1.0.0", L"S:\\Setup", false},
        {{Installed(L"{A}", kHub, kCode, L"1.4")}, L"", L"", L"S:\\Setup", true},
        {{Installed(L"{A}", kHub, kCode, L"1.x.3")}, L"", L"", L"S:\\Setup", true},
        {{Installed(L"{A}", kHub, kCode, L"1.2.3.4")}, L"0001.0002.0000.0003", L"1.2.3", L"S:\\Setup", true},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [products, version, display, source, available] = row;
        installer.products = products;
        EXPECT_EQ(operations.GetInstalledVersion(kHub, kCode), version);
        EXPECT_EQ(GetInstalledVersion(q, kHub, kCode, false), display);
        EXPECT_EQ(GetInstallSource(q, kHub, kCode), source);
        EXPECT_EQ(operations.InstallSourceAvailable(kHub, kCode), available);
    });
}

TEST(InstalledProduct, PackageCodesAndFileVersions) {
    FakeInstaller installer;
    test::FakeFileSystem fs;
    const test::FakeConversions numbers;
    const InstalledProductQueries q{installer, fs, Expand, numbers};
    fs.AddFile(L"C:\\bad.msi");
    EXPECT_EQ(GetPackageProductCode(q, L"C:\\missing.msi"), L"");
    EXPECT_THROW(GetPackageProductCode(q, L"C:\\bad.msi"), PlatformError);
    installer.fileVersions = {{L"a.exe", L"1.0.0.79"}, {L"d.exe", L"1.x.0.0"}};
    EXPECT_EQ(GetFileVersion(q, L"a.exe", true), L"0001.0000.0000.0079");
    EXPECT_EQ(GetFileVersion(q, L"a.exe", false), L"1.0.79");
    EXPECT_EQ(GetFileVersion(q, L"missing.exe", true), L"");
    EXPECT_THROW(GetFileVersion(q, L"d.exe", true), PlatformError);
}

using Log = std::vector<std::wstring>;

const std::wstring kHubCode = kCode, kDeskCode = L"{D3E85B17-92AF-4C06-B471-5E2A8C9F1D34}";
const std::wstring kDeskProduct = L"{DDDDDDDD-DDDD-DDDD-DDDD-DDDDDDDDDDDD}";
const std::wstring kSetup = L"U:\\Upd\\Setup", kOldCache = kSetup + L"\\{11111111-1111-1111-1111-111111111111}", kNewCache = kSetup + L"\\{22222222-2222-2222-2222-222222222222}";
const std::wstring kPackage = L"U:\\Upd\\Corrente\\Orvane Hub.msi", kPatch = L"U:\\Upd\\Corrente\\ORVHPatch.msp";
// The held verification copies, which the copies Windows Installer reads are made from.
const std::wstring kVerified = kPackage + L".orvh-verified", kVerifiedPatch = kPatch + L".orvh-verified";

// Corrente holds the full package (product code {22222222-2222-2222-2222-222222222222}) and a patch, the server edition comes
// from `source` (none when empty); the operation, made `calls` times (a retry), with the verified
// file its copy must be; what it returned, copied, held and journaled, and what it asked.
struct Row {
    std::wstring source = kOldCache, selected = kHubCode, deskSource = L"", same = L"";
    std::optional<std::wstring> packageCode = L"{22222222-2222-2222-2222-222222222222}";  // nullopt: it cannot be read
    std::wstring readOnlyFile = L"", link = L"";  // a link where this folder belongs
    unsigned resultCode = 0;
    bool patch = false, copiesDiffer = false;
    Reinstall reinstall = Reinstall::None;
    int uiLevel = kUiLevelBasicProgressOnly;
    std::wstring verified = L"";
    int calls = 1;
    unsigned result = 0;
    Log log = {}, changes = {};
};

TEST(Installation, InstallPackageAndApplyPatchPackage) {
    const std::wstring mkdir = L"mkdir " + kNewCache, rmdir = L"rmdir " + kOldCache;
    const std::wstring copy = L"copy " + kPackage + L" -> " + kNewCache + L"\\Orvane Hub.msi";
    const std::wstring copyVerified = L"copy " + kVerified + L" -> " + kNewCache + L"\\Orvane Hub.msi";
    const std::wstring install = L"install " + kNewCache + L"\\Orvane Hub.msi [] ui 99";
    const std::wstring reinstall = L"REINSTALL=ALL REINSTALLMODE=dmus";
    const std::wstring copyPatch = L"copy " + kPatch + L" -> " + kOldCache + L"\\ORVHPatch.msp";
    const std::wstring patch = L"patch " + kOldCache + L"\\ORVHPatch.msp [REINSTALL=ALL REINSTALLMODE=emus] ui ";
    const std::wstring deskCache = kSetup + L"\\" + kDeskProduct;
    const std::wstring deskPatch = L"patch " + deskCache + L"\\ORVHPatch.msp [REINSTALL=ALL REINSTALLMODE=emus] ui 99";
    const auto left = [](const std::wstring& source) {
        return L"journal The previous installation source \"" + source + L"\" is not a folder of \"" + kSetup +
               L"\": it is left as it is";
    };
    const Row rows[] = {
        {.log = {mkdir, copy, rmdir}, .changes = {install}},
        {.source = kNewCache, .reinstall = Reinstall::LostSource, .uiLevel = kUiLevelDefault, .log = {copy},
         .changes = {L"install " + kNewCache + L"\\Orvane Hub.msi [" + reinstall + L"] ui 1"}},
        {.source = L"", .log = {mkdir, copy}, .changes = {install}},
        {.source = L"%UPD%\\Setup\\{11111111-1111-1111-1111-111111111111}", .log = {mkdir, copy, rmdir}, .changes = {install}},
        // Only a folder directly in Setup is deleted, under whatever name: another is the launcher's to leave.
        {.selected = kDeskCode, .deskSource = L"D:\\Desk\\", .log = {mkdir, copy, left(L"D:\\Desk")}, .changes = {install}},
        {.source = kOldCache + L"\\sub", .log = {mkdir, copy, left(kOldCache + L"\\sub")}, .changes = {install}},
        {.source = L"X:\\Alias\\{11111111-1111-1111-1111-111111111111}", .same = L"X:\\Alias=" + kSetup, .log = {mkdir, copy, L"rmdir X:\\Alias\\{11111111-1111-1111-1111-111111111111}"},
         .changes = {install}},
        {.selected = L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}", .log = {mkdir, copy}, .changes = {install}},
        {.source = L"U:\\SETUP~1", .same = L"U:\\SETUP~1=" + kSetup, .log = {mkdir, copy}, .changes = {install}},
        {.source = L"U:\\", .log = {mkdir, copy}, .changes = {install}},
        {.source = kSetup + L"\\{Gone}", .log = {mkdir, copy}, .changes = {install}},
        // A verified file's copy is made from it, held and checked before the call, and stays
        // held for the retry.
        {.verified = kVerified, .calls = 2, .log = {mkdir, copyVerified, L"hold " + kNewCache + L"\\Orvane Hub.msi", rmdir},
         .changes = {install, install}},
        {.copiesDiffer = true, .verified = kVerified, .result = 1603,
         .log = {mkdir, copyVerified, L"journal \"" + kNewCache + L"\\Orvane Hub.msi\" is not byte for byte the verified \"" +
                                          kVerified + L"\": it is not given to Windows Installer"}},
        {.patch = true, .verified = kVerifiedPatch,
         .log = {L"hold " + kOldCache + L"\\p.msi", L"copy " + kVerifiedPatch + L" -> " + kOldCache + L"\\ORVHPatch.msp",
                 L"hold " + kOldCache + L"\\ORVHPatch.msp"},
         .changes = {patch + L"99"}},
        {.resultCode = 1603, .result = 1603, .log = {mkdir, copy}, .changes = {install}},
        {.packageCode = std::nullopt, .result = 1603},
        {.packageCode = L"", .result = 1603},
        // A product code names a folder only as a GUID in braces.
        {.packageCode = L"..\\..\\Windows", .result = 1603,
         .log = {L"journal The product code \"..\\..\\Windows\" of \"" + kPackage +
                 L"\" is not a GUID in braces: it names no folder, the package is not installed"}},
        {.readOnlyFile = kNewCache, .result = 1603},
        {.link = kNewCache, .result = 1603,
         .log = {L"journal \"" + kNewCache + L"\" is a link to \"C:\\Windows\": the package is not installed"}},
        {.patch = true, .log = {copyPatch}, .changes = {patch + L"99"}},
        {.patch = true, .uiLevel = kUiLevelDefault, .log = {copyPatch}, .changes = {patch + L"1"}},
        // A product first installed from elsewhere: the patch and the package it reinstalls from
        // go into Setup, which joins the product's sources; nothing is written where it came from.
        {.selected = kDeskCode, .deskSource = L"D:\\Desk\\", .packageCode = kDeskProduct, .patch = true,
         .log = {L"mkdir " + deskCache, L"copy " + kPackage + L" -> " + deskCache + L"\\p.msi",
                 L"copy " + kPatch + L" -> " + deskCache + L"\\ORVHPatch.msp"},
         .changes = {L"add source " + deskCache + L" to " + kDeskProduct, deskPatch}},
        {.selected = kDeskCode, .deskSource = L"D:\\Desk\\", .packageCode = kDeskProduct, .patch = true,
         .verified = kVerifiedPatch,
         .log = {L"mkdir " + deskCache, L"hold " + kPackage, L"copy " + kPackage + L" -> " + deskCache + L"\\p.msi",
                 L"hold " + deskCache + L"\\p.msi", L"copy " + kVerifiedPatch + L" -> " + deskCache + L"\\ORVHPatch.msp",
                 L"hold " + deskCache + L"\\ORVHPatch.msp"},
         .changes = {L"add source " + deskCache + L" to " + kDeskProduct, deskPatch}},
        // The product's own folder in Setup without its package, and a copy of another product's.
        {.selected = kDeskCode, .deskSource = deskCache + L"\\", .patch = true, .result = 1603,
         .log = {L"journal No copy of the installed product's package for \"" + deskCache + L"\" (\"" + kPackage +
                 L"\" is the package of {22222222-2222-2222-2222-222222222222}): the patch, whose reinstallation reads it, "
                 L"is not applied"}},
        {.selected = kDeskCode, .deskSource = L"D:\\Desk\\", .patch = true, .result = 1603,
         .log = {L"journal No copy of the installed product's package for \"" + deskCache + L"\" (\"" + kPackage +
                 L"\" is the package of {22222222-2222-2222-2222-222222222222}): the patch, whose reinstallation reads it, "
                 L"is not applied"}},
        {.resultCode = 1603, .patch = true, .result = 1603, .log = {copyPatch}, .changes = {patch + L"99"}},
        {.readOnlyFile = kOldCache + L"\\ORVHPatch.msp", .patch = true, .result = 1603},
        {.link = kOldCache, .patch = true, .result = 1603,
         .log = {L"journal \"" + kOldCache + L"\" is a link to \"C:\\Windows\": the patch is not applied"}},
        {.selected = kDeskCode, .patch = true, .result = 1603},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        FakeInstaller installer;
        test::FakeFileSystem fs;
        test::FakeFolderIdentity folders;
        const test::FakeConversions numbers;
        for (const auto& f : {L"U:", L"U:\\Upd", L"U:\\Upd\\Corrente", kSetup.c_str(), L"X:\\Alias\\{11111111-1111-1111-1111-111111111111}"}) {
            fs.AddFolder(f);
        }
        fs.AddFolder(row.source == kNewCache ? kNewCache : kOldCache);
        if (!row.deskSource.empty()) fs.AddFolder(row.deskSource);
        fs.AddFile(row.readOnlyFile, "locked", true);
        if (!row.link.empty()) fs.AddLink(row.link, L"C:\\Windows");
        fs.AddFile(kPackage);
        fs.AddFile(kOldCache + L"\\p.msi");
        fs.AddFile(kPatch);
        fs.AddFile(kVerified);
        fs.AddFile(kVerifiedPatch);
        if (row.packageCode) installer.packageCodes[kPackage] = installer.packageCodes[kVerified] = *row.packageCode;
        if (!row.source.empty()) installer.products.push_back(Installed(L"{11111111-1111-1111-1111-111111111111}", kHub, kHubCode, L"1.1.601", row.source + L"\\"));
        if (!row.deskSource.empty()) installer.products.push_back(Installed(kDeskProduct, L"Orvane Desk", kDeskCode, L"1", row.deskSource));
        folders.same = row.same;
        installer.result = row.resultCode;
        FakeHolds holds(fs);
        holds.copiesDiffer = row.copiesDiffer;
        InstallerOperations operations(installer, fs, folders, Expand, numbers, row.selected, holds, holds);
        unsigned result = 0;
        for (int call = 0; call < row.calls; ++call) {
            result = row.patch ? operations.ApplyPatchPackage(kPatch, kSetup, kPackage, row.uiLevel, row.verified)
                               : operations.InstallPackage(L"Orvane Hub.msi", L"U:\\Upd\\Corrente", kSetup,
                                                           row.reinstall, row.uiLevel, row.verified);
        }
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(fs.log, row.log);
        EXPECT_EQ(installer.changes, row.changes);
    });
}

// Another installation runs until `busyUntil` (ms on a clock that moves only while the run waits);
// the installer's answers in turn (0 once they run out). What the call returned, how often it
// reached the installer, and the journal.
TEST(Installation, WaitsForABusyInstallerWithinTheRunsBoundThenAnswersBusy) {
    struct Activity final : InstallerActivity {
        bool OtherInstallationRunning() override { return now < busyUntil; }
        void Wait(std::int32_t milliseconds) override { now += milliseconds; }
        std::int64_t Now() override { return now; }
        std::int64_t now = 0, busyUntil = 0;
    };
    struct Answers final : ForwardingEngine, Journal {
        using ForwardingEngine::ForwardingEngine;
        unsigned InstallProduct(const std::wstring&, const InstallRequest&) override {
            log.push_back(L"install");
            const unsigned answer = answers.empty() ? 0 : answers.front();
            if (!answers.empty()) answers.pop_front();
            return answer;
        }
        void Write(std::wstring_view event) override { log.push_back(std::wstring(event)); }
        std::deque<unsigned> answers;
        Log log;
    };
    const std::wstring waiting = L"Another installation is running its execute sequence (Global\\_MSIExecute is held): "
                                 L"waiting, 2.0 s left of the run's 2.0 s";
    const std::wstring again = L"Windows Installer answered 1618, another installation is in progress: the call waits "
                               L"to be made again";
    const std::tuple<std::int64_t, std::deque<unsigned>, unsigned, Log> rows[] = {
        {0, {3010}, 3010, {L"install"}},
        {1200, {}, 0, {waiting, L"The other installation ended after a wait of 1.5 s", L"install"}},
        {60000, {}, 1618, {waiting, L"Windows Installer still busy after a wait of 2.0 s: the run waits no longer"}},
        {0, {1618, 1603}, 1603, {L"install", again, L"install"}},
        {0, {1618, 1618, 1618, 1618, 1618}, 1618,
         {L"install", again, L"install", again, L"install", again, L"install", again, L"install", again,
          L"No time left of the 2.0 s the run may wait for Windows Installer"}},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [busyUntil, given, result, log] = row;
        FakeInstaller installer;
        Answers answers(installer);
        answers.answers = given;
        Activity activity;
        activity.busyUntil = busyUntil;
        BusyInstallerWait wait(answers, activity, 2, answers);
        EXPECT_EQ(wait.InstallProduct(L"p.msi", {}), result);
        EXPECT_EQ(answers.log, log);
    });
}

TEST(InstalledProduct, OnlyAGuidInBracesIsAProductCode) {
    const std::pair<std::wstring, bool> rows[] = {
        {L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60}", true},
        {L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}", true},
        {L"4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60", false},
        {L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F6}", false},
        {L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F600}", false},
        {L"{4A7C1E92-6B3D-4F18-8E25A-19C3B7D5F60}", false},
        {L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5G60}", false},
        {L"{..\\..\\..\\..\\..\\..\\Windows}", false},
        {L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60", false},
        {L"", false},
    };
    test::ForEachRow(rows, [](const auto& row) { EXPECT_EQ(IsBracedGuid(row.first), row.second); });
}

TEST(Installation, SuccessIncludesRestarts) {
    const std::pair<unsigned, bool> codes[] = {{0, true}, {3010, true}, {1641, true}, {1602, false}, {1603, false}};
    for (const auto& [code, success] : codes) EXPECT_EQ(InstallerSucceeded(code), success) << code;
}

} // namespace
} // namespace orvh
