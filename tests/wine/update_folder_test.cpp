// The update folder's file operations on a real folder tree: folder preparation, staging
// and rotation through the real file API, profile functions and installer file versions.
#include "ini/ov_file_ini.h"
#include "ini/profile_functions_win32.h"
#include "installer/installed_product.h"
#include "installer/msi_engine_win32.h"
#include "main/update_folders.h"
#include "main/update_set.h"
#include "system/environment_win32.h"
#include "system/file_system_win32.h"
#include "system/locale_conversions_win32.h"
#include "system/platform_error.h"
#include "system/unique_handles_win32.h"
#include "test_paths.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

void MakeReadOnly(const std::wstring& path) {
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
}

class UpdateFolderTest : public testing::Test {
protected:
    UpdateFolderTest()
        : ini(profile, conversions),
          queries{installer, fs, ExpandEnvironmentReferences} {}

    std::wstring ProgramFolder() const { return scratch / L"Program"; }

    test::ScratchFolder scratch;
    Win32FileSystem fs;
    Win32ProfileFunctions profile;
    VariantLocaleConversions conversions;
    OvFileIni ini;
    MsiEngine installer;
    InstalledProductQueries queries;
};

TEST_F(UpdateFolderTest, PreparesTheNamedFolderOrTheProgramFolder) {
    fs.CreateFolder(ProgramFolder());
    fs.CreateFolder(scratch / L"Upd");
    ::SetEnvironmentVariableW(L"ORVH_UPD", (scratch / L"Upd").c_str());

    struct Case {
        std::wstring value;
        std::wstring root;
    };
    const Case cases[] = {
        {scratch / L"Upd", scratch / L"Upd"},
        {scratch / L"Upd\\", scratch / L"Upd"},
        {scratch / L"Missing", ProgramFolder()},
        {L"%ORVH_UPD%", ProgramFolder()},
        {L"", ProgramFolder()},
    };
    for (const auto& c : cases) {
        const UpdateFolders f = PrepareUpdateFolders(c.value, ProgramFolder(), fs, ExpandEnvironmentReferences);
        EXPECT_EQ(f.root, c.root);
        for (const auto* sub : {L"Vecchio", L"Corrente", L"Nuovo", L"Setup"}) {
            EXPECT_TRUE(fs.FolderExists(c.root + L"\\" + sub)) << sub;
        }
    }
    EXPECT_FALSE(fs.FolderExists(scratch / L"Missing"));
}

TEST_F(UpdateFolderTest, FolderThatCannotBeCreatedRaisesThePlatformError) {
    // A file where the update folder's sub-folder should go.
    fs.CreateFolder(scratch / L"Upd");
    WriteFileBytes(scratch / L"Upd\\Corrente", "not a folder");
    try {
        PrepareUpdateFolders(scratch / L"Upd", ProgramFolder(), fs, ExpandEnvironmentReferences);
        FAIL() << "no error";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.Number(), ERROR_ALREADY_EXISTS);
        EXPECT_FALSE(e.Description().empty());
    }
    EXPECT_TRUE(fs.FolderExists(scratch / L"Upd\\Vecchio"));
}

class UpdateSetOnDiskTest : public UpdateFolderTest {
protected:
    void SetUp() override {
        fs.CreateFolder(ProgramFolder());
        folders = PrepareUpdateFolders(scratch.Path(), ProgramFolder(), fs, ExpandEnvironmentReferences);
        set = std::make_unique<UpdateSet>(fs, ini, folders);
        set->SetPackageNames(Edition::Server);
    }
    std::wstring Nuovo(const std::wstring& name) const { return folders.nuovo + L"\\" + name; }
    std::wstring Corrente(const std::wstring& name) const { return folders.corrente + L"\\" + name; }
    std::wstring Vecchio(const std::wstring& name) const { return folders.vecchio + L"\\" + name; }
    void Announce(const std::wstring& key, const std::wstring& version) {
        ini.WriteIniString(folders.ConfigurationFile(), L"Versione", key, version);
    }
    FileVersionReader Versions() {
        return [this](const std::wstring& path) { return GetFileVersion(queries, path, true); };
    }

    UpdateFolders folders;
    std::unique_ptr<UpdateSet> set;
};

TEST_F(UpdateSetOnDiskTest, ReadsVersionsAndKeysFromTheConfigurationFile) {
    EXPECT_EQ(set->ReadPackageVersion(L"Orvane Hub.msi"), L"");
    Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    Announce(L"Orvane Desk.zip", L"0001.0002.0000.0000");
    EXPECT_EQ(set->ReadPackageVersion(L"Orvane Hub.msi"), L"0001.0002.0000.0000");
    set->SelectVersionKeys(Edition::Client, L"0001.0000.0000.0000");
    EXPECT_EQ(set->Keys().patchPackage, L"ORVDPatch.zip");
}

TEST_F(UpdateSetOnDiskTest, StagingKeepsTheEarlierCopyInVecchio) {
    WriteFileBytes(Nuovo(L"Orvane Hub.msi"), "new package");
    WriteFileBytes(Corrente(L"Orvane Hub.msi"), "old package");
    WriteFileBytes(Vecchio(L"Orvane Hub.msi"), "older package");
    MakeReadOnly(Nuovo(L"Orvane Hub.msi"));
    ASSERT_TRUE(set->StageFullPackage());
    EXPECT_EQ(ReadFileBytes(Vecchio(L"Orvane Hub.msi")), "old package");
    EXPECT_EQ(ReadFileBytes(Corrente(L"Orvane Hub.msi")), "new package");
    EXPECT_EQ(ReadFileBytes(Nuovo(L"Orvane Hub.msi")), "new package");
    EXPECT_FALSE(set->StagePatchPackage());
}

TEST_F(UpdateSetOnDiskTest, StagingOntoAReadOnlyOrLockedCopyFailsAndLosesNothing) {
    WriteFileBytes(Nuovo(L"ORVHPatch.msp"), "new patch");
    WriteFileBytes(Corrente(L"ORVHPatch.msp"), "old patch");
    WriteFileBytes(Vecchio(L"ORVHPatch.msp"), "older patch");
    MakeReadOnly(Vecchio(L"ORVHPatch.msp"));
    EXPECT_THROW(set->StagePatchPackage(), PlatformError);
    EXPECT_EQ(ReadFileBytes(Corrente(L"ORVHPatch.msp")), "old patch");
    EXPECT_EQ(ReadFileBytes(Nuovo(L"ORVHPatch.msp")), "new patch");

    ::SetFileAttributesW(Vecchio(L"ORVHPatch.msp").c_str(), FILE_ATTRIBUTE_NORMAL);
    UniqueFile lock(::CreateFileW(Corrente(L"ORVHPatch.msp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    try {
        set->StagePatchPackage();
        FAIL() << "no error";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.Number(), ERROR_SHARING_VIOLATION);
    }
    lock.reset();
    EXPECT_EQ(ReadFileBytes(Nuovo(L"ORVHPatch.msp")), "new patch");
}

TEST_F(UpdateSetOnDiskTest, RotationMovesANewerUpdaterOnAndClearsNuovoWithForce) {
    // Corrente holds this build (1.0.0.1); the one in Nuovo is announced as newer.
    fs.CopyFile(test::OrvhUpdateExe(), Corrente(L"ORVHUpdate.exe"));
    WriteFileBytes(Nuovo(L"ORVHUpdate.exe"), "next updater");
    WriteFileBytes(Corrente(L"ORVHUpdate.cfg"), "[Versione]\r\n");
    Announce(L"ORVHUpdate.exe", L"0001.0000.0000.0002");
    for (const auto* name : {L"Orvane Hub.msi", L"Orvane Desk.msi", L"ORVHPatch.msp", L"ORVDPatch.msp",
                             L"Orvane Hub.zip", L"note.txt"}) {
        WriteFileBytes(Nuovo(name), "x");
        MakeReadOnly(Nuovo(name));
    }
    set->SelectVersionKeys(Edition::Server, L"0001.0001.0000.0601");
    set->RotateUpdateSet(Versions(), ProgramFolder());

    EXPECT_EQ(ReadFileBytes(Corrente(L"ORVHUpdate.exe")), "next updater");
    EXPECT_EQ(GetFileVersion(queries, Vecchio(L"ORVHUpdate.exe"), true), L"0001.0000.0000.0001");
    EXPECT_EQ(ReadFileBytes(Vecchio(L"ORVHUpdate.cfg")), "[Versione]\r\n");
    EXPECT_NE(ReadFileBytes(Corrente(L"ORVHUpdate.cfg")).find("0001.0000.0000.0002"), std::string::npos);
    for (const auto* name : {L"ORVHUpdate.cfg", L"ORVHUpdate.exe", L"Orvane Hub.msi", L"Orvane Desk.msi",
                             L"ORVHPatch.msp", L"ORVDPatch.msp"}) {
        EXPECT_FALSE(fs.FileExists(Nuovo(name))) << name;
    }
    EXPECT_TRUE(fs.FileExists(Nuovo(L"Orvane Hub.zip")));
    EXPECT_TRUE(fs.FileExists(Nuovo(L"note.txt")));
}

TEST_F(UpdateSetOnDiskTest, UpdaterOfTheSameVersionOrRunFromCorrenteStays) {
    fs.CopyFile(test::OrvhUpdateExe(), Corrente(L"ORVHUpdate.exe"));
    struct Case {
        std::wstring announced;
        std::wstring programFolder;
    };
    const Case cases[] = {{L"0001.0000.0000.0001", ProgramFolder()}, {L"0002.0000.0000.0000", folders.corrente}};
    for (const auto& c : cases) {
        WriteFileBytes(Nuovo(L"ORVHUpdate.exe"), "next updater");
        Announce(L"ORVHUpdate.exe", c.announced);
        set->SelectVersionKeys(Edition::Server, L"0001.0001.0000.0601");
        set->RotateUpdateSet(Versions(), c.programFolder);
        EXPECT_EQ(GetFileVersion(queries, Corrente(L"ORVHUpdate.exe"), true), L"0001.0000.0000.0001");
        EXPECT_FALSE(fs.FileExists(Nuovo(L"ORVHUpdate.exe")));
    }
}

} // namespace
} // namespace orvh
