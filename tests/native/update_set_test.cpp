// The update folder and its update set: version keys, staging before installing, rotation after.
#include "rows.h"
#include "run_fakes.h"
#include "ini/ov_file_ini.h"
#include "main/run_road.h"
#include "main/update_set.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using Log = std::vector<std::wstring>;

// The update folder U: with an update set for the server edition.
struct Tree {
    Tree() {
        for (const auto* f : {L"U:", L"U:\\Vecchio", L"U:\\Corrente", L"U:\\Nuovo"}) fs.AddFolder(f);
        set.SetPackageNames(Edition::Server);
    }
    test::FakeFileSystem fs;
    test::FakeProfile profile;
    test::FakeConversions conversions;
    OvFileIni ini{profile, conversions};
    test::RunFakes journal;
    UpdateSet set{fs, ini, UpdateFoldersUnder(L"U:"), journal};
};

TEST(UpdateSet, VersionKeysPerEditionAndInstalledVersion) {
    const VersionKeys hubFiles{L"Orvane Hub.msi", L"ORVHPatch.msp", L"ORVHUpdate.exe"};
    const VersionKeys hubArchives{L"Orvane Hub.zip", L"ORVHPatch.zip", L"ORVHUpdate.zip"};
    // Edition, installed version, the configuration's "Orvane Desk.zip" value, the keys given a
    // version; the keys, whether the journal says the file was written for another version.
    const std::tuple<Edition, std::wstring, std::wstring, std::vector<std::wstring>, VersionKeys, bool> rows[] = {
        {Edition::Server, L"0001.0001.0000.0601", L"1", {}, hubFiles, false},
        {Edition::Server, L"0001.0001.0000.0602", L"", {}, hubArchives, false},
        {Edition::Client, L"0009.0000.0000.0000", L"", {}, {L"Orvane Desk.msi", L"ORVDPatch.msp", L"ORVHUpdate.exe"}, false},
        {Edition::Client, L"0001.0000.0000.0000", L"1", {}, {L"Orvane Desk.zip", L"ORVDPatch.zip", L"ORVHUpdate.zip"}, false},
        // Only the other scheme's keys name versions.
        {Edition::Server, L"0001.0002.0000.0000", L"", {L"ORVHPatch.msp"}, hubArchives, true},
        {Edition::Server, L"0001.0001.0000.0601", L"", {L"ORVHUpdate.zip"}, hubFiles, true},
        {Edition::Client, L"0001.0000.0000.0000", L"", {L"ORVDPatch.zip"}, {L"Orvane Desk.msi", L"ORVDPatch.msp", L"ORVHUpdate.exe"}, true},
        // Both schemes.
        {Edition::Server, L"0001.0002.0000.0000", L"", {L"ORVHPatch.zip", L"ORVHPatch.msp"}, hubArchives, false},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [edition, installed, deskZip, given, keys, noted] = row;
        Tree t;
        t.profile.Set(L"U:\\Nuovo\\ORVHUpdate.cfg", L"Versione", L"Orvane Desk.zip", deskZip);
        for (const auto& key : given) t.profile.Set(L"U:\\Nuovo\\ORVHUpdate.cfg", L"Versione", key, L"0001.0002.0000.0100");
        t.set.SelectVersionKeys(edition, installed);
        EXPECT_EQ(t.set.Keys(), keys);
        EXPECT_EQ(t.journal.Holding(L"it was written for another version of the product"), noted ? 1 : 0);
    });
}

// Nuovo's files are read once, by their verification copies in Corrente; staging copies those.
TEST(UpdateSet, StagingCopiesTheVerificationCopiesAndBacksUpCorrente) {
    Tree t;
    t.fs.AddFile(L"U:\\Nuovo\\Orvane Hub.msi", "new");
    t.fs.AddFile(L"U:\\Nuovo\\ORVHPatch.msp");
    t.set.TakeVerificationCopies({{SetRole::FullPackage, L"U:\\Nuovo\\Orvane Hub.msi", L""},
                                  {SetRole::Patch, L"U:\\Nuovo\\ORVHPatch.msp", L""}});
    t.set.StagePatchPackage();
    t.set.StageRepairPackage();
    t.fs.AddFile(L"U:\\Corrente\\Orvane Hub.msi", "old");
    t.set.StageFullPackage();
    t.set.RemoveVerificationCopies();
    const std::wstring verified = L"U:\\Corrente\\Orvane Hub.msi.orvh-verified";
    const std::wstring stage = L"copy " + verified + L" -> U:\\Corrente\\Orvane Hub.msi";
    EXPECT_EQ(t.fs.log, (Log{L"copy U:\\Nuovo\\Orvane Hub.msi -> " + verified,
                             L"copy U:\\Nuovo\\ORVHPatch.msp -> U:\\Corrente\\ORVHPatch.msp.orvh-verified",
                             L"copy U:\\Corrente\\ORVHPatch.msp.orvh-verified -> U:\\Corrente\\ORVHPatch.msp", stage,
                             L"copy U:\\Corrente\\Orvane Hub.msi -> U:\\Vecchio\\Orvane Hub.msi", stage,
                             L"delete U:\\Corrente\\orvane hub.msi.orvh-verified",
                             L"delete U:\\Corrente\\orvhpatch.msp.orvh-verified"}));
}

// A file Corrente already holds with Nuovo's content came from this set: Vecchio keeps the
// copy from before it.
TEST(UpdateSet, StagingBacksUpOnlyWhatCorrenteHeldBeforeTheSet) {
    // Corrente's copy ("-": none); Vecchio's copy afterwards, whether the journal tells a skipped backup.
    const std::tuple<std::string, std::string, bool> rows[] = {
        {"-", "earlier", false}, {"old", "old", false}, {"new", "earlier", true}};
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [corrente, vecchio, skipped] = row;
        Tree t;
        t.fs.AddFile(L"U:\\Corrente\\Orvane Hub.msi.orvh-verified", "new");
        t.fs.AddFile(L"U:\\Vecchio\\Orvane Hub.msi", "earlier");
        if (corrente != "-") t.fs.AddFile(L"U:\\Corrente\\Orvane Hub.msi", corrente);
        t.set.StageFullPackage();
        EXPECT_EQ(t.fs.Content(L"U:\\Corrente\\Orvane Hub.msi") + " " + t.fs.Content(L"U:\\Vecchio\\Orvane Hub.msi"),
                  "new " + vecchio);
        EXPECT_EQ(t.journal.Holding(L"\"U:\\Corrente\\Orvane Hub.msi\" is already Nuovo's copy: not backed up"), skipped ? 1 : 0);
    });
}

// Copies left under their partial names go from Corrente, Vecchio and Setup's folders only.
TEST(UpdateSet, PartialCopiesOfAStoppedRunAreRemoved) {
    Tree t;
    t.fs.AddFolder(L"U:\\Setup");
    t.fs.AddFolder(L"U:\\Setup\\{A}");
    t.fs.AddFolder(L"U:\\Corrente\\kept.orvh-partial");  // a folder of that name is no copy
    for (const auto* path : {L"U:\\Corrente\\Orvane Hub.msi.orvh-partial", L"U:\\Corrente\\Orvane Hub.msi",
                             L"U:\\Vecchio\\ORVHUpdate.cfg.orvh-partial", L"U:\\Setup\\{A}\\Orvane Hub.msi.orvh-partial",
                             L"U:\\Setup\\{B}", L"U:\\Setup\\x.orvh-partial", L"U:\\Nuovo\\ORVHPatch.msp.orvh-partial",
                             L"U:\\Corrente\\orvh-partial.txt", L"U:\\Corrente\\ORVHPatch.msp.orvh-verified"}) {
        t.fs.AddFile(path);
    }
    t.set.RemovePartialCopies();
    EXPECT_EQ(t.fs.log, (Log{L"delete U:\\Corrente\\orvane hub.msi.orvh-partial",
                             L"delete U:\\Corrente\\orvhpatch.msp.orvh-verified",
                             L"delete U:\\Vecchio\\orvhupdate.cfg.orvh-partial",
                             L"delete U:\\Setup\\{a}\\orvane hub.msi.orvh-partial"}));
    EXPECT_EQ(t.journal.Holding(L"is a copy an interrupted run left unfinished: it is removed"), 4);
}

TEST(UpdateSet, RotationMovesTheUpdaterAndTheConfigurationOnAndClearsNuovo) {
    // The updater's version offered, the program's folder, the running launcher's floor (its own
    // version when signed; Corrente's updater is 0001.0000.0000.0004); the updaters in Corrente
    // and Vecchio after.
    const std::wstring newer = L"0001.0000.0000.0005";
    const std::tuple<std::wstring, std::wstring, std::wstring, std::string> rows[] = {
        {newer, L"C:\\Orvane", L"", "new old"},
        {L"0001.0000.0000.0004", L"C:\\Orvane", L"", "old -"},
        {newer, L"U:\\Corrente", L"", "old -"},
        {newer, L"U:\\Vecchio", L"", "old -"},
        {newer, L"U:\\Nuovo", L"", "old -"},
        {newer, L"X:\\Alias", L"", "old -"},  // Corrente under another name
        // A signed launcher: never below its own version, which it may offer itself.
        {newer, L"C:\\Orvane", L"0001.0000.0000.0006", "old -"},
        {newer, L"C:\\Orvane", newer, "new old"},
        {newer, L"C:\\Orvane", L"0001.0000.0000.0003", "new old"},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [offered, program, floor, updater] = row;
        Tree t;
        for (const auto* name : {L"ORVHUpdate.cfg", L"ORVHUpdate.exe", L"Orvane Hub.msi", L"Orvane Desk.msi",
                                 L"ORVHPatch.msp", L"ORVDPatch.msp", L"Orvane Hub.zip"}) {
            t.fs.AddFile(L"U:\\Nuovo\\" + std::wstring(name), "new");
        }
        t.fs.AddFile(L"U:\\Corrente\\ORVHUpdate.exe", "old");
        t.fs.AddFile(L"U:\\Corrente\\ORVHUpdate.exe.orvh-verified", "new");
        t.fs.AddFile(L"U:\\Corrente\\ORVHUpdate.cfg", "old");
        test::FakeFolderIdentity identity;
        identity.same = L"X:\\Alias=U:\\Corrente";
        RunRoad road;
        road.replaceUpdater =
            ShouldReplaceUpdater(offered, L"0001.0000.0000.0004", floor, program, t.set.Folders(), identity);
        t.set.RotateUpdateSet(road);
        EXPECT_EQ(t.fs.Content(L"U:\\Corrente\\ORVHUpdate.exe") + " " + t.fs.Content(L"U:\\Vecchio\\ORVHUpdate.exe"), updater);
        EXPECT_EQ(t.fs.Content(L"U:\\Corrente\\ORVHUpdate.cfg") + " " + t.fs.Content(L"U:\\Vecchio\\ORVHUpdate.cfg"), "new old");
        // The verification copy goes first, while Nuovo holds the set; then the set's files, the
        // configuration file last; nothing else does.
        Log deleted;
        std::ranges::copy_if(t.fs.log, std::back_inserter(deleted), [](const auto& e) { return e.starts_with(L"delete "); });
        EXPECT_EQ(deleted, (Log{L"delete U:\\Corrente\\orvhupdate.exe.orvh-verified", L"delete U:\\Nuovo\\ORVHUpdate.exe", L"delete U:\\Nuovo\\Orvane Hub.msi",
                                L"delete U:\\Nuovo\\Orvane Desk.msi", L"delete U:\\Nuovo\\ORVHPatch.msp",
                                L"delete U:\\Nuovo\\ORVDPatch.msp", L"delete U:\\Nuovo\\ORVHUpdate.cfg"}));
    });
}

} // namespace
} // namespace orvh
