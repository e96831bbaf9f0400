// Folder paths and the update folder, and the update set in it: which folder is used, the
// version keys, the staging copies before an installation and the rotation after it.
#include "main/expand_path.h"
#include "main/update_set.h"

#include "fakes.h"
#include "ini/ov_file_ini.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using Log = std::vector<std::wstring>;

// Expands %UPD% only; anything else stays as written, as the platform leaves an undefined
// reference.
std::optional<std::wstring> Expand(std::wstring_view text) {
    std::wstring s(text);
    if (const auto at = s.find(L"%UPD%"); at != std::wstring::npos) s.replace(at, 5, L"D:\\Upd");
    return s;
}

TEST(ExpandPath, ExpandsThenRemovesOneTrailingBackslash) {
    // The path, what the platform's expansion gives (nullopt: it failed), the result.
    const std::tuple<std::wstring, std::optional<std::wstring>, std::wstring> rows[] = {
        {L"%V%\\sub\\", L"C:\\Value\\sub\\", L"C:\\Value\\sub"}, {L"C:\\Upd\\\\", L"C:\\Upd\\\\", L"C:\\Upd\\"},
        {L"%ROOT%", L"D:\\", L"D:"}, {L"%V%\\sub\\", std::nullopt, L"%V%\\sub"}, {L"", L"", L""}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [path, expansion, expected] = rows[i];
        std::wstring asked;
        const auto expand = [&](std::wstring_view text) {
            asked = text;
            return expansion;
        };
        EXPECT_EQ(ExpandPath(path, expand), expected) << "row " << i;
        EXPECT_EQ(asked, path) << "row " << i;
    }
}

TEST(UpdateFolders, TheFolderNamedIfItExistsElseTheProgramsOwn) {
    const Log all = {L"Vecchio", L"Corrente", L"Nuovo", L"Setup"};
    // The switch's value; the update folder and the sub-folders created in it.
    const std::tuple<std::wstring, std::wstring, Log> rows[] = {
        {L"", L"C:\\Orvane", all},
        {L"D:\\Upd", L"D:\\Upd", {L"Vecchio", L"Nuovo"}},
        {L"d:\\upd\\", L"d:\\upd", {L"Vecchio", L"Nuovo"}},
        {L"D:\\Missing", L"C:\\Orvane", all},
        {L"%UPD%", L"C:\\Orvane", all},
        {L"E:\\%UPD%", L"E:\\D:\\Upd", all},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [value, root, created] = rows[i];
        test::FakeFileSystem fs;
        for (const auto* f : {L"C:\\Orvane", L"D:\\Upd", L"D:\\Upd\\Corrente", L"D:\\Upd\\Setup", L"E:\\%UPD%", L"E:\\D:\\Upd"}) {
            fs.AddFolder(f);
        }
        EXPECT_EQ(PrepareUpdateFolders(value, L"C:\\Orvane", fs, Expand).ConfigurationFile(), root + L"\\Nuovo\\ORVHUpdate.cfg")
            << "row " << i;
        Log expected;
        for (const auto& sub : created) expected.push_back(L"mkdir " + root + L"\\" + sub);
        EXPECT_EQ(fs.log, expected) << "row " << i;
    }
}

// The update folder U: with an empty update set for the server edition.
struct Tree {
    Tree() {
        for (const auto* f : {L"U:", L"U:\\Vecchio", L"U:\\Corrente", L"U:\\Nuovo"}) fs.AddFolder(f);
        set.SetPackageNames(Edition::Server);
    }
    void Announce(const std::wstring& key, const std::wstring& version) {
        profile.Set(L"U:\\Nuovo\\ORVHUpdate.cfg", L"Versione", key, version);
    }

    test::FakeFileSystem fs;
    test::FakeProfile profile;
    test::FakeConversions conversions;
    OvFileIni ini{profile, conversions};
    UpdateSet set{fs, ini, UpdateFoldersUnder(L"U:")};
};

TEST(UpdateSet, NamesAndVersionKeysPerEdition) {
    Tree t;
    auto& set = t.set;
    EXPECT_EQ(set.Names(), (PackageNames{L"Orvane Hub.msi", L"ORVHPatch.msp"}));
    set.SetPackageNames(Edition::Client);
    EXPECT_EQ(set.Names(), (PackageNames{L"Orvane Desk.msi", L"ORVDPatch.msp"}));
    const VersionKeys hubFiles{L"Orvane Hub.msi", L"ORVHPatch.msp", L"ORVHUpdate.exe"};
    const VersionKeys hubArchives{L"Orvane Hub.zip", L"ORVHPatch.zip", L"ORVHUpdate.zip"};
    // Edition, installed version, the configuration's "Orvane Desk.zip" value; the keys.
    const std::tuple<Edition, std::wstring, std::wstring, VersionKeys> rows[] = {
        {Edition::Server, L"0001.0001.0000.0601", L"1", hubFiles},
        {Edition::Server, L"0001.0001.0000.0602", L"", hubArchives},
        {Edition::Server, L"1.1.0.601", L"", hubFiles},
        {Edition::Client, L"0009.0000.0000.0000", L"", {L"Orvane Desk.msi", L"ORVDPatch.msp", L"ORVHUpdate.exe"}},
        {Edition::Client, L"0001.0000.0000.0000", L"1", {L"Orvane Desk.zip", L"ORVDPatch.zip", L"ORVHUpdate.zip"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [edition, installed, deskZip, keys] = rows[i];
        t.Announce(L"Orvane Desk.zip", deskZip);
        set.SelectVersionKeys(edition, installed);
        EXPECT_EQ(set.Keys(), keys) << "row " << i;
    }
}

TEST(UpdateSet, StagingCopiesWhatNuovoHoldsAndBacksUpCorrente) {
    Tree t;
    auto& set = t.set;
    auto& fs = t.fs;
    const std::wstring stage = L"copy U:\\Nuovo\\Orvane Hub.msi -> U:\\Corrente\\Orvane Hub.msi";
    EXPECT_FALSE(set.StageFullPackage());
    EXPECT_FALSE(set.StagePatchPackage());
    EXPECT_FALSE(set.StageRepairPackage());
    fs.AddFile(L"U:\\Nuovo\\Orvane Hub.msi", "new");
    fs.AddFile(L"U:\\Nuovo\\ORVHPatch.msp");
    EXPECT_TRUE(set.StagePatchPackage());
    EXPECT_TRUE(set.StageRepairPackage());
    fs.AddFile(L"U:\\Corrente\\Orvane Hub.msi", "old");
    EXPECT_TRUE(set.StageFullPackage());
    EXPECT_EQ(fs.log, (Log{L"copy U:\\Nuovo\\ORVHPatch.msp -> U:\\Corrente\\ORVHPatch.msp", stage,
                           L"copy U:\\Corrente\\Orvane Hub.msi -> U:\\Vecchio\\Orvane Hub.msi", stage}));
    EXPECT_EQ(fs.Content(L"U:\\Vecchio\\Orvane Hub.msi"), "old");
}

TEST(ShouldReplaceUpdater, OnlyANewerVersionNotRunningFromTheTree) {
    const std::wstring v1 = L"0001.0000.0000.0001", v2 = L"0001.0000.0000.0002";
    const std::tuple<std::wstring, std::wstring, std::wstring, bool> rows[] = {
        {v2, v1, L"C:\\Orvane", true}, {v1, v1, L"C:\\Orvane", false}, {v2, v1, L"U:\\Corrente", false},
        {v2, v1, L"U:\\Vecchio", false}, {v2, v1, L"U:\\Nuovo", false}, {v2, v1, L"u:\\corrente", true}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [offered, current, program, replace] = rows[i];
        EXPECT_EQ(ShouldReplaceUpdater(offered, current, program, UpdateFoldersUnder(L"U:")), replace) << "row " << i;
    }
}

TEST(UpdateSet, RotationMovesTheUpdaterAndTheConfigurationOnAndClearsNuovo) {
    // Installed version (it chooses the keys), the key announcing the updater, the
    // program's folder; whether the updater was replaced.
    const std::tuple<std::wstring, std::wstring, std::wstring, bool> rows[] = {
        {L"0001.0001.0000.0601", L"ORVHUpdate.exe", L"C:\\Orvane", true},
        {L"0001.0001.0000.0602", L"ORVHUpdate.exe", L"C:\\Orvane", false},
        {L"0001.0001.0000.0602", L"ORVHUpdate.zip", L"C:\\Orvane", true},
        {L"0001.0001.0000.0601", L"ORVHUpdate.exe", L"U:\\Corrente", false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [installed, key, program, replaced] = rows[i];
        Tree t;
        for (const auto* name : {L"ORVHUpdate.cfg", L"ORVHUpdate.exe", L"Orvane Hub.msi", L"Orvane Desk.msi",
                                 L"ORVHPatch.msp", L"ORVDPatch.msp", L"Orvane Hub.zip"}) {
            t.fs.AddFile(L"U:\\Nuovo\\" + std::wstring(name), "new");
        }
        t.fs.AddFile(L"U:\\Corrente\\ORVHUpdate.exe", "old");
        t.fs.AddFile(L"U:\\Corrente\\ORVHUpdate.cfg", "old");
        t.Announce(key, L"0001.0000.0000.0005");
        t.set.SelectVersionKeys(Edition::Server, installed);
        t.set.RotateUpdateSet([](const std::wstring&) { return L"0001.0000.0000.0004"; }, program);
        const std::string updater = replaced ? "new old" : "old -";
        EXPECT_EQ(t.fs.Content(L"U:\\Corrente\\ORVHUpdate.exe") + " " + t.fs.Content(L"U:\\Vecchio\\ORVHUpdate.exe"), updater)
            << "row " << i;
        EXPECT_EQ(t.fs.Content(L"U:\\Corrente\\ORVHUpdate.cfg") + " " + t.fs.Content(L"U:\\Vecchio\\ORVHUpdate.cfg"), "new old")
            << "row " << i;
        std::size_t leftInNuovo = 0;
        for (const auto& [path, file] : t.fs.files) leftInNuovo += path.starts_with(L"u:\\nuovo\\");
        EXPECT_EQ(leftInNuovo, 1u) << "row " << i;
        EXPECT_EQ(t.fs.Content(L"U:\\Nuovo\\Orvane Hub.zip"), "new") << "row " << i;
    }
}

} // namespace
} // namespace orvh
