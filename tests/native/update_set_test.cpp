#include "main/update_set.h"

#include "fake_conversions.h"
#include "fake_file_system.h"
#include "fake_profile.h"
#include "ini/ov_file_ini.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace orvh {
namespace {

using testing::ElementsAre;
using testing::UnorderedElementsAre;


// Expands %UPD% only; anything else stays as written, as the platform leaves an undefined
// reference.
std::optional<std::wstring> Expand(std::wstring_view text) {
    std::wstring s(text);
    if (const auto at = s.find(L"%UPD%"); at != std::wstring::npos) s.replace(at, 5, L"D:\\Upd");
    return s;
}

const std::wstring kProgram = L"C:\\Program Files\\Orvane";

class UpdateFoldersTest : public testing::Test {
protected:
    void SetUp() override {
        fs.AddFolder(L"C:");
        fs.AddFolder(L"C:\\Program Files");
        fs.AddFolder(kProgram);
        fs.AddFolder(L"D:");
        fs.AddFolder(L"D:\\Upd");
    }
    test::FakeFileSystem fs;
};

TEST_F(UpdateFoldersTest, ChoosesTheFolderAndCreatesSubFoldersInOrder) {
    struct Case {
        std::wstring value;
        std::wstring root;
    };
    const Case cases[] = {
        {L"", kProgram},
        {L"D:\\Upd", L"D:\\Upd"},
        {L"D:\\Upd\\", L"D:\\Upd"},
        {L"d:\\upd", L"d:\\upd"},
        {L"D:\\Missing", kProgram},
        {L"%UPD%", kProgram},  // tested before expansion: no folder is literally named so
        {L"C:\\", L"C:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "value: " << std::string(c.value.begin(), c.value.end()));
        test::FakeFileSystem tree = fs;
        const UpdateFolders f = PrepareUpdateFolders(c.value, kProgram, tree, Expand);
        EXPECT_EQ(f.root, c.root);
        EXPECT_EQ(f.nuovo, c.root + L"\\Nuovo");
        EXPECT_EQ(f.ConfigurationFile(), c.root + L"\\Nuovo\\ORVHUpdate.cfg");
        EXPECT_THAT(tree.Log(), ElementsAre(L"mkdir " + c.root + L"\\Vecchio", L"mkdir " + c.root + L"\\Corrente",
                                            L"mkdir " + c.root + L"\\Nuovo", L"mkdir " + c.root + L"\\Setup"));
    }
}

TEST_F(UpdateFoldersTest, LiteralFolderWithReferenceIsExpandedAfterTheTest) {
    fs.AddFolder(L"%UPD%");
    const UpdateFolders f = PrepareUpdateFolders(L"%UPD%", kProgram, fs, Expand);
    EXPECT_EQ(f.root, L"D:\\Upd");
}

TEST_F(UpdateFoldersTest, ExistingSubFoldersAreLeftAlone) {
    fs.AddFolder(L"D:\\Upd\\Corrente");
    fs.AddFolder(L"D:\\Upd\\Setup");
    PrepareUpdateFolders(L"D:\\Upd", kProgram, fs, Expand);
    EXPECT_THAT(fs.Log(), ElementsAre(L"mkdir D:\\Upd\\Vecchio", L"mkdir D:\\Upd\\Nuovo"));
}

TEST_F(UpdateFoldersTest, MissingParentOfTheProgramFolderFailsLoudly) {
    test::FakeFileSystem empty;
    EXPECT_THROW(PrepareUpdateFolders(L"", L"X:\\Gone", empty, Expand), PlatformError);
}

class UpdateSetTest : public testing::Test {
protected:
    UpdateSetTest() : ini(profile, conversions), set(fs, ini, UpdateFoldersUnder(L"U:")) {
        for (const auto* f : {L"U:", L"U:\\Vecchio", L"U:\\Corrente", L"U:\\Nuovo", L"U:\\Setup", L"P:"}) {
            fs.AddFolder(f);
        }
    }
    void Announce(const std::wstring& key, const std::wstring& version) {
        profile.Set(L"U:\\Nuovo\\ORVHUpdate.cfg", L"Versione", key, version);
    }

    test::FakeFileSystem fs;
    test::FakeProfile profile;
    test::TextOnlyConversions conversions;
    OvFileIni ini;
    UpdateSet set;
};

TEST_F(UpdateSetTest, PackageNamesAndKeysPerEdition) {
    set.SetPackageNames(Edition::Server);
    EXPECT_EQ(set.Names(), (PackageNames{L"Orvane Hub.msi", L"ORVHPatch.msp"}));
    set.SetPackageNames(Edition::Client);
    EXPECT_EQ(set.Names(), (PackageNames{L"Orvane Desk.msi", L"ORVDPatch.msp"}));

    struct Case {
        Edition edition;
        std::wstring installed;
        bool deskArchive;
        VersionKeys expected;
    };
    const VersionKeys hubFiles{L"Orvane Hub.msi", L"ORVHPatch.msp", L"ORVHUpdate.exe"};
    const VersionKeys hubArchives{L"Orvane Hub.zip", L"ORVHPatch.zip", L"ORVHUpdate.zip"};
    const VersionKeys deskFiles{L"Orvane Desk.msi", L"ORVDPatch.msp", L"ORVHUpdate.exe"};
    const VersionKeys deskArchives{L"Orvane Desk.zip", L"ORVDPatch.zip", L"ORVHUpdate.zip"};
    const Case cases[] = {
        {Edition::Server, L"0001.0001.0000.0300", false, hubFiles},
        {Edition::Server, L"0001.0001.0000.0601", false, hubFiles},
        {Edition::Server, L"0001.0001.0000.0602", false, hubArchives},
        {Edition::Server, L"0001.0002.0000.0000", false, hubArchives},
        {Edition::Server, L"1.1.0.602", false, hubArchives},  // brought into canonical form first
        {Edition::Client, L"0009.0000.0000.0000", false, deskFiles},
        {Edition::Client, L"0001.0000.0000.0000", true, deskArchives},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.installed.begin(), c.installed.end()));
        test::FakeProfile p;
        if (c.deskArchive) p.Set(L"U:\\Nuovo\\ORVHUpdate.cfg", L"Versione", L"Orvane Desk.zip", L"0001.0002.0000.0000");
        OvFileIni localIni(p, conversions);
        UpdateSet s(fs, localIni, UpdateFoldersUnder(L"U:"));
        s.SelectVersionKeys(c.edition, c.installed);
        EXPECT_EQ(s.Keys(), c.expected);
    }
}

TEST_F(UpdateSetTest, ReadPackageVersionReadsTheVersionSectionOfNuovo) {
    Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    profile.Set(L"U:\\Corrente\\ORVHUpdate.cfg", L"Versione", L"ORVHPatch.msp", L"0009.0000.0000.0000");
    profile.Set(L"U:\\Nuovo\\ORVHUpdate.cfg", L"Altro", L"ORVHPatch.msp", L"0009.0000.0000.0000");
    EXPECT_EQ(set.ReadPackageVersion(L"Orvane Hub.msi"), L"0001.0002.0000.0000");
    EXPECT_EQ(set.ReadPackageVersion(L"ORVHPatch.msp"), L"");
}

TEST_F(UpdateSetTest, StagingCopiesOnlyWhatNuovoHolds) {
    set.SetPackageNames(Edition::Server);
    EXPECT_FALSE(set.StageFullPackage());
    EXPECT_FALSE(set.StagePatchPackage());
    EXPECT_FALSE(set.StageRepairPackage());
    EXPECT_TRUE(fs.Log().empty());
}

TEST_F(UpdateSetTest, FullPackageBacksUpCorrenteFirst) {
    set.SetPackageNames(Edition::Server);
    fs.AddFile(L"U:\\Nuovo\\Orvane Hub.msi", "new");
    fs.AddFile(L"U:\\Corrente\\Orvane Hub.msi", "old");
    EXPECT_TRUE(set.StageFullPackage());
    EXPECT_THAT(fs.Log(), ElementsAre(L"copy U:\\Corrente\\Orvane Hub.msi -> U:\\Vecchio\\Orvane Hub.msi",
                                      L"copy U:\\Nuovo\\Orvane Hub.msi -> U:\\Corrente\\Orvane Hub.msi"));
    EXPECT_EQ(fs.Find(L"U:\\Vecchio\\Orvane Hub.msi")->content, "old");
    EXPECT_EQ(fs.Find(L"U:\\Corrente\\Orvane Hub.msi")->content, "new");
    EXPECT_TRUE(fs.FileExists(L"U:\\Nuovo\\Orvane Hub.msi"));
}

TEST_F(UpdateSetTest, PatchWithoutEarlierCopyGoesStraightToCorrente) {
    set.SetPackageNames(Edition::Client);
    fs.AddFile(L"U:\\Nuovo\\ORVDPatch.msp", "patch");
    EXPECT_TRUE(set.StagePatchPackage());
    EXPECT_THAT(fs.Log(), ElementsAre(L"copy U:\\Nuovo\\ORVDPatch.msp -> U:\\Corrente\\ORVDPatch.msp"));
}

TEST_F(UpdateSetTest, RepairCopyMakesNoBackup) {
    set.SetPackageNames(Edition::Server);
    fs.AddFile(L"U:\\Nuovo\\Orvane Hub.msi", "same");
    fs.AddFile(L"U:\\Corrente\\Orvane Hub.msi", "same");
    EXPECT_TRUE(set.StageRepairPackage());
    EXPECT_THAT(fs.Log(), ElementsAre(L"copy U:\\Nuovo\\Orvane Hub.msi -> U:\\Corrente\\Orvane Hub.msi"));
}

TEST_F(UpdateSetTest, StagingOntoReadOnlyCopyFailsWithThePlatformError) {
    set.SetPackageNames(Edition::Server);
    fs.AddFile(L"U:\\Nuovo\\Orvane Hub.msi", "new");
    fs.AddFile(L"U:\\Corrente\\Orvane Hub.msi", "old", true);
    try {
        set.StageFullPackage();
        FAIL() << "no error";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.Number(), 5);
    }
    EXPECT_TRUE(fs.FileExists(L"U:\\Nuovo\\Orvane Hub.msi"));
}

TEST(ShouldReplaceUpdater, OnlyANewerVersionFromElsewhere) {
    const UpdateFolders f = UpdateFoldersUnder(L"U:");
    struct Case {
        std::wstring offered, current, program;
        bool replace;
    };
    const Case cases[] = {
        {L"0001.0000.0000.0002", L"0001.0000.0000.0001", L"C:\\Orvane", true},
        {L"0001.0000.0000.0002", L"", L"C:\\Orvane", true},
        {L"0001.0000.0000.0001", L"0001.0000.0000.0001", L"C:\\Orvane", false},
        {L"0001.0000.0000.0001", L"0001.0000.0000.0002", L"C:\\Orvane", false},
        {L"", L"", L"C:\\Orvane", false},
        {L"0001.0000.0000.0002", L"0001.0000.0000.0001", L"U:\\Corrente", false},
        {L"0001.0000.0000.0002", L"0001.0000.0000.0001", L"U:\\Vecchio", false},
        {L"0001.0000.0000.0002", L"0001.0000.0000.0001", L"U:\\Nuovo", false},
        {L"0001.0000.0000.0002", L"0001.0000.0000.0001", L"U:", true},
        // Exact text: another spelling of Corrente does not count as Corrente.
        {L"0001.0000.0000.0002", L"0001.0000.0000.0001", L"u:\\corrente", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShouldReplaceUpdater(c.offered, c.current, c.program, f), c.replace)
            << std::string(c.offered.begin(), c.offered.end()) << " over "
            << std::string(c.current.begin(), c.current.end()) << " from "
            << std::string(c.program.begin(), c.program.end());
    }
}

class RotationTest : public UpdateSetTest {
protected:
    void SetUp() override {
        set.SetPackageNames(Edition::Server);
        set.SelectVersionKeys(Edition::Server, L"0001.0001.0000.0601");
        for (const auto* name : {L"ORVHUpdate.cfg", L"ORVHUpdate.exe", L"Orvane Hub.msi", L"Orvane Desk.msi",
                                 L"ORVHPatch.msp", L"ORVDPatch.msp", L"Orvane Hub.zip", L"readme.txt"}) {
            fs.AddFile(L"U:\\Nuovo\\" + std::wstring(name), "new", std::wstring(name) == L"ORVHPatch.msp");
        }
        fs.AddFile(L"U:\\Corrente\\ORVHUpdate.cfg", "old");
    }
    std::function<std::wstring(const std::wstring&)> VersionOnDisk(std::wstring version) {
        return [this, version](const std::wstring& path) {
            versionAskedFor = path;
            return fs.FileExists(path) ? version : std::wstring();
        };
    }
    std::wstring versionAskedFor;
};

TEST_F(RotationTest, NewerUpdaterMovesOnAndNuovoIsCleared) {
    Announce(L"ORVHUpdate.exe", L"0001.0000.0000.0005");
    fs.AddFile(L"U:\\Corrente\\ORVHUpdate.exe", "old exe");
    set.RotateUpdateSet(VersionOnDisk(L"0001.0000.0000.0004"), L"C:\\Orvane");

    EXPECT_EQ(versionAskedFor, L"U:\\Corrente\\ORVHUpdate.exe");
    EXPECT_THAT(fs.Log(), ElementsAre(L"copy U:\\Corrente\\ORVHUpdate.exe -> U:\\Vecchio\\ORVHUpdate.exe",
                                      L"copy U:\\Nuovo\\ORVHUpdate.exe -> U:\\Corrente\\ORVHUpdate.exe",
                                      L"copy U:\\Corrente\\ORVHUpdate.cfg -> U:\\Vecchio\\ORVHUpdate.cfg",
                                      L"copy U:\\Nuovo\\ORVHUpdate.cfg -> U:\\Corrente\\ORVHUpdate.cfg",
                                      L"delete U:\\Nuovo\\ORVHUpdate.cfg", L"delete U:\\Nuovo\\ORVHUpdate.exe",
                                      L"delete U:\\Nuovo\\Orvane Hub.msi", L"delete U:\\Nuovo\\Orvane Desk.msi",
                                      L"delete U:\\Nuovo\\ORVHPatch.msp", L"delete U:\\Nuovo\\ORVDPatch.msp"));
    EXPECT_THAT(fs.FilesUnder(L"U:\\Nuovo"), UnorderedElementsAre(L"orvane hub.zip", L"readme.txt"));
}

TEST_F(RotationTest, UpdaterStaysWhenNotNewerOrWhenRunningFromTheTree) {
    struct Case {
        std::wstring announced, onDisk, program;
    };
    const Case cases[] = {
        {L"0001.0000.0000.0004", L"0001.0000.0000.0004", L"C:\\Orvane"},  // equal
        {L"", L"", L"C:\\Orvane"},                                         // key missing
        {L"0001.0000.0000.0005", L"0001.0000.0000.0004", L"U:\\Corrente"},  // running copy
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.program.begin(), c.program.end()));
        SetUp();
        fs.AddFile(L"U:\\Corrente\\ORVHUpdate.exe", "old exe");
        fs.ClearLog();
        Announce(L"ORVHUpdate.exe", c.announced);
        set.RotateUpdateSet(VersionOnDisk(c.onDisk), c.program);
        EXPECT_EQ(fs.Find(L"U:\\Corrente\\ORVHUpdate.exe")->content, "old exe");
        EXPECT_FALSE(fs.FileExists(L"U:\\Nuovo\\ORVHUpdate.exe"));
        EXPECT_FALSE(fs.FileExists(L"U:\\Vecchio\\ORVHUpdate.exe"));
    }
}

TEST_F(RotationTest, FirstUpdaterCopyNeedsOnlyAVersion) {
    Announce(L"ORVHUpdate.exe", L"0000.0000.0000.0001");
    set.RotateUpdateSet(VersionOnDisk(L"unused"), L"C:\\Orvane");
    EXPECT_EQ(fs.Find(L"U:\\Corrente\\ORVHUpdate.exe")->content, "new");
    EXPECT_FALSE(fs.FileExists(L"U:\\Vecchio\\ORVHUpdate.exe"));
}

TEST_F(RotationTest, ArchiveKeysNameTheUpdaterVersion) {
    set.SelectVersionKeys(Edition::Server, L"0001.0001.0000.0602");
    Announce(L"ORVHUpdate.exe", L"0009.0000.0000.0000");
    Announce(L"ORVHUpdate.zip", L"");
    set.RotateUpdateSet(VersionOnDisk(L""), L"C:\\Orvane");
    EXPECT_FALSE(fs.FileExists(L"U:\\Corrente\\ORVHUpdate.exe"));
}

} // namespace
} // namespace orvh
