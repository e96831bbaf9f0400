// The update folder and the update set in it: which folder is used, the version keys, the
// staging copies before an installation and the rotation after it.
#include "main/update_set.h"

#include "fake_file_system.h"
#include "fake_profile.h"
#include "ini/ov_file_ini.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using test::Narrow;
using Log = std::vector<std::wstring>;

// Expands %UPD% only; anything else stays as written, as the platform leaves an undefined
// reference.
std::optional<std::wstring> Expand(std::wstring_view text) {
    std::wstring s(text);
    if (const auto at = s.find(L"%UPD%"); at != std::wstring::npos) s.replace(at, 5, L"D:\\Upd");
    return s;
}

TEST(UpdateFolders, TheFolderNamedIfItExistsElseTheProgramsOwn) {
    const std::wstring program = L"C:\\Orvane";
    const struct {
        std::wstring value;
        std::wstring root;
        Log created;  // of Vecchio, Corrente, Nuovo, Setup
    } rows[] = {
        {L"", program, {L"Vecchio", L"Corrente", L"Nuovo", L"Setup"}},
        {L"D:\\Upd", L"D:\\Upd", {L"Vecchio", L"Nuovo"}},
        {L"d:\\upd\\", L"d:\\upd", {L"Vecchio", L"Nuovo"}},
        {L"D:\\Missing", program, {L"Vecchio", L"Corrente", L"Nuovo", L"Setup"}},
        {L"%UPD%", program, {L"Vecchio", L"Corrente", L"Nuovo", L"Setup"}},
        {L"E:\\%UPD%", L"E:\\D:\\Upd", {L"Vecchio", L"Corrente", L"Nuovo", L"Setup"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        test::FakeFileSystem fs;
        for (const auto* folder : {L"C:", L"C:\\Orvane", L"D:\\Upd", L"D:\\Upd\\Corrente", L"D:\\Upd\\Setup",
                                   L"E:\\%UPD%", L"E:\\D:\\Upd"}) {
            fs.AddFolder(folder);
        }
        const UpdateFolders f = PrepareUpdateFolders(rows[i].value, program, fs, Expand);
        Log created;
        for (const auto& sub : rows[i].created) created.push_back(L"mkdir " + rows[i].root + L"\\" + sub);
        EXPECT_EQ(Narrow(f.ConfigurationFile()), Narrow(rows[i].root + L"\\Nuovo\\ORVHUpdate.cfg")) << "row " << i;
        EXPECT_EQ(fs.log, created) << "row " << i;
    }
}

class UpdateSetTest : public testing::Test {
protected:
    UpdateSetTest() {
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

TEST_F(UpdateSetTest, NamesAndVersionKeysPerEdition) {
    EXPECT_EQ(set.Names(), (PackageNames{L"Orvane Hub.msi", L"ORVHPatch.msp"}));
    set.SetPackageNames(Edition::Client);
    EXPECT_EQ(set.Names(), (PackageNames{L"Orvane Desk.msi", L"ORVDPatch.msp"}));
    const VersionKeys hubFiles{L"Orvane Hub.msi", L"ORVHPatch.msp", L"ORVHUpdate.exe"};
    const VersionKeys hubArchives{L"Orvane Hub.zip", L"ORVHPatch.zip", L"ORVHUpdate.zip"};
    const VersionKeys deskFiles{L"Orvane Desk.msi", L"ORVDPatch.msp", L"ORVHUpdate.exe"};
    const VersionKeys deskArchives{L"Orvane Desk.zip", L"ORVDPatch.zip", L"ORVHUpdate.zip"};
    const struct {
        Edition edition;
        std::wstring installed;
        std::wstring deskZip;  // the configuration's "Orvane Desk.zip" value
        VersionKeys expected;
    } rows[] = {
        {Edition::Server, L"0001.0001.0000.0601", L"1", hubFiles},
        {Edition::Server, L"0001.0001.0000.0602", L"", hubArchives},
        {Edition::Server, L"1.1.0.601", L"", hubFiles},
        {Edition::Client, L"0009.0000.0000.0000", L"", deskFiles},
        {Edition::Client, L"0001.0000.0000.0000", L"0001.0002.0000.0000", deskArchives},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        Announce(L"Orvane Desk.zip", rows[i].deskZip);
        set.SelectVersionKeys(rows[i].edition, rows[i].installed);
        EXPECT_EQ(set.Keys(), rows[i].expected) << "row " << i;
    }
}

TEST_F(UpdateSetTest, StagingCopiesWhatNuovoHoldsAndBacksUpCorrente) {
    const std::wstring backUp = L"copy U:\\Corrente\\Orvane Hub.msi -> U:\\Vecchio\\Orvane Hub.msi";
    const std::wstring stage = L"copy U:\\Nuovo\\Orvane Hub.msi -> U:\\Corrente\\Orvane Hub.msi";
    EXPECT_FALSE(set.StageFullPackage());
    EXPECT_FALSE(set.StagePatchPackage());
    EXPECT_FALSE(set.StageRepairPackage());
    EXPECT_TRUE(fs.log.empty());
    fs.AddFile(L"U:\\Nuovo\\Orvane Hub.msi", "new");
    fs.AddFile(L"U:\\Nuovo\\ORVHPatch.msp", "patch");
    EXPECT_TRUE(set.StagePatchPackage());
    EXPECT_TRUE(set.StageRepairPackage());
    fs.AddFile(L"U:\\Corrente\\Orvane Hub.msi", "old");
    EXPECT_TRUE(set.StageFullPackage());
    EXPECT_EQ(fs.log, (Log{L"copy U:\\Nuovo\\ORVHPatch.msp -> U:\\Corrente\\ORVHPatch.msp", stage, backUp, stage}));
    EXPECT_EQ(fs.Find(L"U:\\Vecchio\\Orvane Hub.msi")->content, "old");
}

TEST(ShouldReplaceUpdater, OnlyANewerVersionNotRunningFromTheTree) {
    const UpdateFolders f = UpdateFoldersUnder(L"U:");
    const struct {
        std::wstring offered, current, program;
        bool replace;
    } rows[] = {
        {L"0001.0000.0000.0002", L"0001.0000.0000.0001", L"C:\\Orvane", true},
        {L"0001.0000.0000.0001", L"0001.0000.0000.0001", L"C:\\Orvane", false},
        {L"0001.0000.0000.0002", L"0001.0000.0000.0001", L"U:\\Corrente", false},
        {L"0001.0000.0000.0002", L"0001.0000.0000.0001", L"U:\\Vecchio", false},
        {L"0001.0000.0000.0002", L"0001.0000.0000.0001", L"U:\\Nuovo", false},
        {L"0001.0000.0000.0002", L"0001.0000.0000.0001", L"u:\\corrente", true},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(ShouldReplaceUpdater(rows[i].offered, rows[i].current, rows[i].program, f), rows[i].replace)
            << "row " << i;
    }
}

TEST_F(UpdateSetTest, RotationMovesTheUpdaterAndTheConfigurationOnAndClearsNuovo) {
    const struct {
        std::wstring installed;  // chooses the version keys
        std::wstring key;        // where the updater's version is announced
        std::wstring program;
        bool replaced;
    } rows[] = {
        {L"0001.0001.0000.0601", L"ORVHUpdate.exe", L"C:\\Orvane", true},
        {L"0001.0001.0000.0602", L"ORVHUpdate.exe", L"C:\\Orvane", false},
        {L"0001.0001.0000.0602", L"ORVHUpdate.zip", L"C:\\Orvane", true},
        {L"0001.0001.0000.0601", L"ORVHUpdate.exe", L"U:\\Corrente", false},
    };
    const std::wstring names[] = {L"ORVHUpdate.cfg", L"ORVHUpdate.exe", L"Orvane Hub.msi", L"Orvane Desk.msi",
                                  L"ORVHPatch.msp", L"ORVDPatch.msp", L"Orvane Hub.zip"};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        test::FakeFileSystem tree = fs;
        for (const auto& name : names) tree.AddFile(L"U:\\Nuovo\\" + name, "new", name == L"ORVHPatch.msp");
        tree.AddFile(L"U:\\Corrente\\ORVHUpdate.exe", "old");
        tree.AddFile(L"U:\\Corrente\\ORVHUpdate.cfg", "old");
        test::FakeProfile announced;
        OvFileIni reader(announced, conversions);
        announced.Set(L"U:\\Nuovo\\ORVHUpdate.cfg", L"Versione", rows[i].key, L"0001.0000.0000.0005");
        UpdateSet rotated(tree, reader, UpdateFoldersUnder(L"U:"));
        rotated.SelectVersionKeys(Edition::Server, rows[i].installed);
        rotated.RotateUpdateSet([](const std::wstring&) { return L"0001.0000.0000.0004"; }, rows[i].program);

        const std::string updater = rows[i].replaced ? "new" : "old";
        EXPECT_EQ(tree.Find(L"U:\\Corrente\\ORVHUpdate.exe")->content, updater) << "row " << i;
        EXPECT_EQ(tree.Find(L"U:\\Corrente\\ORVHUpdate.cfg")->content, "new") << "row " << i;
        EXPECT_EQ(tree.Find(L"U:\\Vecchio\\ORVHUpdate.cfg")->content, "old") << "row " << i;
        EXPECT_EQ(tree.Find(L"U:\\Vecchio\\ORVHUpdate.exe") != nullptr, rows[i].replaced) << "row " << i;
        EXPECT_EQ(tree.FilesUnder(L"U:\\Nuovo"), (std::map<std::wstring, std::string>{{L"u:\\nuovo\\orvane hub.zip", "new"}}))
            << "row " << i;
    }
}

} // namespace
} // namespace orvh
