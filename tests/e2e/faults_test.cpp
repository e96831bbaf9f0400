// Faults in the launcher's way during a real update run: files held or read-only in
// Corrente and Vecchio, an update folder that goes away, a Setup folder that cannot be
// made, a package Windows Installer rejects, a product that never ends. Whatever the user
// sees, the update set stays in Nuovo and the product stays installed, old or new.
#include "fault_injection.h"
#include "fixture_paths.h"
#include "launched_program.h"
#include "update_scenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::IsEmpty;

namespace fx = fixtures;

const std::wstring kHubCode(fx::hub_1_1_601.upgradeCode);
const std::wstring kOld = L"0001.0001.0000.0601";
const std::wstring kNew = L"0001.0002.0000.0000";

class Faults : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
        scenario.DeliverPackage(L"Orvane Hub.msi", fx::hub_1_2_0);
        scenario.Announce(L"Orvane Hub.msi", kNew);
    }
    std::wstring Tail() const { return scenario.Tail(); }
    std::wstring In(const std::wstring& sub, const std::wstring& name) const { return scenario.Sub(sub) + L"\\" + name; }
    // What an earlier run left: the installed package and its configuration in Corrente.
    void EarlierRunLeftCorrente() {
        MakeFolderPath(scenario.Sub(L"Corrente"));
        MakeFolderPath(scenario.Sub(L"Vecchio"));
        ASSERT_TRUE(::CopyFileW(FixturePackagePath(fx::hub_1_1_601.file).c_str(), In(L"Corrente", L"Orvane Hub.msi").c_str(),
                                FALSE));
        ASSERT_TRUE(::WritePrivateProfileStringW(L"Versione", L"Orvane Hub.msi", kOld.c_str(),
                                                 In(L"Corrente", L"ORVHUpdate.cfg").c_str()));
    }
    static void ExpectErrorReport(const RunOutcome& run, unsigned long number) {
        ASSERT_TRUE(run.ended);
        ASSERT_EQ(run.boxes.size(), 1u);
        const auto& box = run.boxes[0].contents;
        EXPECT_EQ(box.title, L"OrvhUpdate");
        EXPECT_EQ(box.text, UnhandledErrorText(number));
        EXPECT_EQ(box.icon, BoxIcon::Stop);
    }
    void ExpectSetStillInNuovo() {
        EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), ElementsAre(L"ORVHUpdate.cfg", L"Orvane Hub.msi"));
    }
    void ExpectInstalled(const std::wstring& version) { EXPECT_EQ(InstalledVersion(L"Orvane Hub", kHubCode), version); }
    void ExpectNotStarted() { EXPECT_THAT(scenario.ProductStarts(0), IsEmpty()); }
    void ExpectStartedIgnoringTheUpdate() {
        const auto starts = scenario.ProductStarts();
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].commandLine, scenario.ProductPath() + L" /IgnoraAggiornamento /NoConsole");
    }
    void ExpectInstallationFailureReportedLast(const RunOutcome& run) {
        ASSERT_TRUE(run.ended);
        ASSERT_GE(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes.back().contents.title, L"Orvane Hub Update");
        EXPECT_THAT(run.boxes.back().contents.text,
                    testing::StartsWith(L"Errore in fase d'installazione dell'aggiornamento."));
        EXPECT_EQ(run.boxes.back().contents.icon, BoxIcon::Stop);
        EXPECT_FALSE(run.boxes.back().windowVisible);
    }

    UpdateScenario scenario;
};

TEST_F(Faults, PackageHeldInCorrenteStopsStaging) {
    EarlierRunLeftCorrente();
    const UniqueFile held = HoldWithoutSharing(In(L"Corrente", L"Orvane Hub.msi"));
    const RunOutcome run = scenario.Run(Tail());
    ExpectErrorReport(run, ERROR_SHARING_VIOLATION);
    ExpectSetStillInNuovo();
    ExpectInstalled(kOld);
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Vecchio")), IsEmpty());
    ExpectNotStarted();
}

TEST_F(Faults, ReadOnlyCopyInVecchioStopsStaging) {
    EarlierRunLeftCorrente();
    const std::wstring earlier = In(L"Vecchio", L"Orvane Hub.msi");
    ASSERT_TRUE(::CopyFileW(FixturePackagePath(fx::hub_1_1_601.file).c_str(), earlier.c_str(), FALSE));
    MakeReadOnly(earlier);
    const RunOutcome run = scenario.Run(Tail());
    ::SetFileAttributesW(earlier.c_str(), FILE_ATTRIBUTE_NORMAL);
    ExpectErrorReport(run, ERROR_ACCESS_DENIED);
    ExpectSetStillInNuovo();
    ExpectInstalled(kOld);
    EXPECT_EQ(ReadFileBytes(In(L"Corrente", L"Orvane Hub.msi")), ReadFileBytes(FixturePackagePath(fx::hub_1_1_601.file)));
    ExpectNotStarted();
}

TEST_F(Faults, ConfigurationHeldInCorrenteStopsRotationAfterTheInstallation) {
    EarlierRunLeftCorrente();
    const UniqueFile held = HoldWithoutSharing(In(L"Corrente", L"ORVHUpdate.cfg"));
    const RunOutcome run = scenario.Run(Tail());
    ExpectErrorReport(run, ERROR_SHARING_VIOLATION);
    ExpectInstalled(kNew);
    // The next run finds nothing newer and finishes the rotation.
    ExpectSetStillInNuovo();
    EXPECT_EQ(ReadFileBytes(In(L"Corrente", L"Orvane Hub.msi")), ReadFileBytes(FixturePackagePath(fx::hub_1_2_0.file)));
    EXPECT_EQ(ReadFileBytes(In(L"Vecchio", L"Orvane Hub.msi")), ReadFileBytes(FixturePackagePath(fx::hub_1_1_601.file)));
    ExpectNotStarted();
}

TEST_F(Faults, ReadOnlyConfigurationInVecchioStopsRotationAfterTheInstallation) {
    EarlierRunLeftCorrente();
    const std::wstring earlier = In(L"Vecchio", L"ORVHUpdate.cfg");
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Versione", L"Orvane Hub.msi", L"0001.0000.0000.0000", earlier.c_str()));
    MakeReadOnly(earlier);
    const RunOutcome run = scenario.Run(Tail());
    ::SetFileAttributesW(earlier.c_str(), FILE_ATTRIBUTE_NORMAL);
    ExpectErrorReport(run, ERROR_ACCESS_DENIED);
    ExpectInstalled(kNew);
    ExpectSetStillInNuovo();
    ExpectNotStarted();
}

TEST_F(Faults, UpdateFolderMovedAwayWhileWaitingForTheProduct) {
    const Sleeper product(3s, 0);
    const std::wstring moved = scenario.Root() / L"Moved";
    std::thread mover([&] {
        // The sub-folders are made before the wait begins.
        for (int i = 0; i < 200 && UpdateSubFoldersIn(scenario.UpdateFolder()).size() < 4; ++i) {
            std::this_thread::sleep_for(20ms);
        }
        std::this_thread::sleep_for(300ms);
        ::MoveFileW(scenario.UpdateFolder().c_str(), moved.c_str());
    });
    const RunOutcome run = scenario.Run(Tail() + L" /AttendiProcesso=" + std::to_wstring(product.Id()), 1min);
    mover.join();
    ASSERT_TRUE(run.ended);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].contents.text,
              L"Impossibile trovare il file di configurazione dell'aggiornamento 'ORVHUpdate.cfg'");
    EXPECT_EQ(::GetFileAttributesW(scenario.UpdateFolder().c_str()), INVALID_FILE_ATTRIBUTES) << "nothing recreated";
    EXPECT_THAT(scenario.Files(moved + L"\\Nuovo"), ElementsAre(L"ORVHUpdate.cfg", L"Orvane Hub.msi"));
    ExpectInstalled(kOld);
    ExpectStartedIgnoringTheUpdate();
}

TEST_F(Faults, FileWhereTheSetupFolderBelongs) {
    WriteFileBytes(scenario.Sub(L"Setup"), "not a folder");
    const RunOutcome run = scenario.Run(Tail());
    ExpectErrorReport(run, ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(run.boxes[0].windowVisible);
    ExpectSetStillInNuovo();
    ExpectInstalled(kOld);
    EXPECT_EQ(ReadFileBytes(scenario.Sub(L"Setup")), "not a folder");
    ExpectNotStarted();
}

TEST_F(Faults, FileWhereThePackagesSourceFolderBelongs) {
    MakeFolderPath(scenario.Sub(L"Setup"));
    WriteFileBytes(In(L"Setup", std::wstring(fx::hub_1_2_0.productCode)), "not a folder");
    const RunOutcome run = scenario.Run(Tail());
    ExpectInstallationFailureReportedLast(run);
    ExpectSetStillInNuovo();
    ExpectInstalled(kOld);
    ExpectStartedIgnoringTheUpdate();
}

TEST_F(Faults, PackageThatIsNoPackage) {
    std::string garbage(200000, '\0');
    unsigned state = 12345;
    for (auto& c : garbage) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    WriteFileBytes(In(L"Nuovo", L"Orvane Hub.msi"), garbage);
    const RunOutcome run = scenario.Run(Tail());
    ExpectInstallationFailureReportedLast(run);
    ExpectSetStillInNuovo();
    ExpectInstalled(kOld);
    ExpectStartedIgnoringTheUpdate();
}

TEST_F(Faults, ProductThatNeverEndsIsWaitedForWithoutWindowOrWork) {
    const Sleeper product(2min, 0);
    const std::wstring folder = scenario.Root() / L"Program";
    MakeFolderPath(folder);
    const std::wstring exe = folder + L"\\OrvhUpdate.exe";
    ASSERT_TRUE(::CopyFileW(OrvhUpdateExe().c_str(), exe.c_str(), FALSE));
    {
        const LaunchedProgram run(exe, Tail() + L" /AttendiProcesso=" + std::to_wstring(product.Id()));
        std::this_thread::sleep_for(1500ms);  // start-up done, the wait begun
        const auto before = CpuTime(run.Process());
        std::this_thread::sleep_for(3s);
        const auto used = CpuTime(run.Process()) - before;
        ASSERT_TRUE(run.Running());
        EXPECT_THAT(VisibleTopLevelWindows(run.ProcessId()), IsEmpty());
        EXPECT_LE(used.count(), 30) << "ms of CPU over 3 s of waiting";
    }  // ended here, as an operator would end it
    ExpectSetStillInNuovo();
    ExpectInstalled(kOld);
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Corrente")), IsEmpty());
    ExpectNotStarted();
}

} // namespace
} // namespace orvh::test
