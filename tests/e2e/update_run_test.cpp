// Whole update runs through the real OrvhUpdate.exe: real packages installed by Windows
// Installer, the update folder as the delivering side leaves it, a product stand-in, and
// every message box read and answered.
#include "fixture_packages.h"
#include "fixture_paths.h"
#include "update_scenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orvh::test {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

namespace fx = fixtures;

const std::wstring kHubCode(fx::hub_1_1_601.upgradeCode);
const std::wstring kHubTitle = L"Orvane Hub Update";

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

class UpdateRun : public testing::Test {
protected:
    std::wstring Tail() const { return scenario.Tail(); }
    std::wstring Started(bool installed) const {
        return scenario.ProductPath() + (installed ? L" /NoConsole" : L" /IgnoraAggiornamento /NoConsole");
    }
    void ExpectStartedWith(bool installed) {
        const auto starts = scenario.ProductStarts();
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].commandLine, Started(installed)) << Narrow(starts[0].commandLine);
        EXPECT_EQ(starts[0].showCommand, 1);
    }
    void DeliverHub120() {
        scenario.DeliverPackage(L"Orvane Hub.msi", fx::hub_1_2_0);
        scenario.Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    }

    UpdateScenario scenario;
};

TEST_F(UpdateRun, NewerFullPackageIsInstalledAndTheSetMovesOn) {
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    DeliverHub120();
    const RunOutcome run = scenario.Run(Tail());
    ASSERT_TRUE(run.ended);
    EXPECT_THAT(run.boxes, IsEmpty());
    EXPECT_EQ(InstalledVersion(L"Orvane Hub", kHubCode), L"0001.0002.0000.0000");
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Corrente")), ElementsAre(L"ORVHUpdate.cfg", L"Orvane Hub.msi"));
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), IsEmpty());
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Setup")), ElementsAre(std::wstring(fx::hub_1_2_0.productCode)));
    // The folder the product was first installed from was its source: it is gone now.
    EXPECT_THAT(scenario.Files(scenario.Root().Path()), testing::Not(testing::Contains(L"Delivered")));
    ExpectStartedWith(true);
}

TEST_F(UpdateRun, TypicalRoadInstallsThePackageAndItsPatch) {
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    DeliverHub120();
    scenario.Deliver(L"ORVHPatch.msp", FixturePackagePath(fx::hub_1_2_100_msp.file));
    scenario.Announce(L"ORVHPatch.msp", L"0001.0002.0000.0100");
    const RunOutcome run = scenario.Run(Tail());
    ASSERT_TRUE(run.ended);
    EXPECT_THAT(run.boxes, IsEmpty());
    EXPECT_EQ(InstalledVersion(L"Orvane Hub", kHubCode), L"0001.0002.0000.0100");
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Corrente")),
                ElementsAre(L"ORVHPatch.msp", L"ORVHUpdate.cfg", L"Orvane Hub.msi"));
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), IsEmpty());
    // The patch is applied from the product's installation source, beside its package.
    const std::wstring cache = scenario.Sub(L"Setup") + L"\\" + std::wstring(fx::hub_1_2_0.productCode);
    EXPECT_THAT(scenario.Files(cache), ElementsAre(L"ORVHPatch.msp", L"Orvane Hub.msi"));
    ExpectStartedWith(true);
}

TEST_F(UpdateRun, ClientEditionWithArchiveKeys) {
    ASSERT_EQ(scenario.Install(fx::desk_1_1_601), 0u);
    scenario.DeliverPackage(L"Orvane Desk.msi", fx::desk_1_2_0);
    scenario.Deliver(L"ORVDPatch.msp", FixturePackagePath(fx::desk_1_2_100_msp.file));
    // Announced under the archive names only; the file names carry stale versions.
    scenario.Announce(L"Orvane Desk.zip", L"0001.0002.0000.0000");
    scenario.Announce(L"ORVDPatch.zip", L"0001.0002.0000.0100");
    scenario.Announce(L"Orvane Desk.msi", L"0000.0000.0000.0001");
    const RunOutcome run = scenario.Run(Tail() + L" /MsiUpdateCode=" + std::wstring(fx::desk_1_1_601.upgradeCode));
    ASSERT_TRUE(run.ended);
    EXPECT_THAT(run.boxes, IsEmpty());
    EXPECT_EQ(InstalledVersion(L"Orvane Desk", fx::desk_1_1_601.upgradeCode), L"0001.0002.0000.0100");
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), IsEmpty());
    ASSERT_TRUE(run.lastWindow.has_value());
    ExpectStartedWith(true);
}

TEST_F(UpdateRun, NothingNewerRotatesAndStartsTheProductIgnoringTheUpdate) {
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    scenario.DeliverPackage(L"Orvane Hub.msi", fx::hub_1_1_601);
    scenario.Announce(L"Orvane Hub.msi", L"0001.0001.0000.0601");
    const RunOutcome run = scenario.Run(Tail());
    ASSERT_TRUE(run.ended);
    EXPECT_THAT(run.boxes, IsEmpty());
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Corrente")), ElementsAre(L"ORVHUpdate.cfg"));
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), IsEmpty());
    EXPECT_EQ(InstalledVersion(L"Orvane Hub", kHubCode), L"0001.0001.0000.0601");
    ExpectStartedWith(false);
}

TEST_F(UpdateRun, MissingConfigurationFileIsReported) {
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    scenario.DeliverPackage(L"Orvane Hub.msi", fx::hub_1_2_0);
    const RunOutcome run = scenario.Run(Tail());
    ASSERT_TRUE(run.ended);
    ASSERT_EQ(run.boxes.size(), 1u);
    const auto& box = run.boxes[0].contents;
    EXPECT_EQ(box.title, kHubTitle);
    EXPECT_EQ(box.text, L"Impossibile trovare il file di configurazione dell'aggiornamento 'ORVHUpdate.cfg'");
    EXPECT_EQ(box.icon, BoxIcon::Stop);
    EXPECT_TRUE(run.boxes[0].windowVisible);
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), ElementsAre(L"Orvane Hub.msi"));
    EXPECT_EQ(InstalledVersion(L"Orvane Hub", kHubCode), L"0001.0001.0000.0601");
    ExpectStartedWith(false);
}

TEST_F(UpdateRun, LowerCaseUpgradeCodeFindsNoInstalledProduct) {
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    DeliverHub120();
    const std::wstring lower = L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}";
    const RunOutcome run = scenario.Run(Tail() + L" /MsiUpdateCode=" + lower);
    ASSERT_TRUE(run.ended);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].contents.title, kHubTitle);
    EXPECT_EQ(run.boxes[0].contents.text,
              L"Impossibile trovare una versione corrente del prodotto da aggiornare " + lower);
    EXPECT_EQ(run.boxes[0].contents.icon, BoxIcon::Stop);
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), ElementsAre(L"ORVHUpdate.cfg", L"Orvane Hub.msi"));
    ExpectStartedWith(false);
}

TEST_F(UpdateRun, FullPackageMissingFromNuovoIsReportedAtTheEnd) {
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    scenario.Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    const RunOutcome run = scenario.Run(Tail());
    ASSERT_TRUE(run.ended);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].contents.title, kHubTitle);
    EXPECT_THAT(run.boxes[0].contents.text, testing::StartsWith(L"Errore in fase d'installazione dell'aggiornamento."));
    EXPECT_FALSE(run.boxes[0].windowVisible);
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), ElementsAre(L"ORVHUpdate.cfg"));
    ExpectStartedWith(false);
}

TEST_F(UpdateRun, PackageThatFailsTwiceLeavesTheSetInNuovo) {
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    scenario.DeliverPackage(L"Orvane Hub.msi", fx::hub_launch_condition_false);
    scenario.Announce(L"Orvane Hub.msi", L"0001.0003.0000.0000");
    const RunOutcome run = scenario.Run(Tail());
    ASSERT_TRUE(run.ended);
    // Windows Installer reports each of the two attempts in a box of its own; the
    // launcher's own report comes after the window has gone.
    ASSERT_GE(run.boxes.size(), 1u);
    const ShownBox& last = run.boxes.back();
    EXPECT_EQ(last.contents.title, kHubTitle);
    EXPECT_THAT(last.contents.text, testing::StartsWith(L"Errore in fase d'installazione"));
    EXPECT_FALSE(last.windowVisible);
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), ElementsAre(L"ORVHUpdate.cfg", L"Orvane Hub.msi"));
    EXPECT_EQ(InstalledVersion(L"Orvane Hub", kHubCode), L"0001.0001.0000.0601");
    EXPECT_TRUE(scenario.Files(scenario.Root().Path() + L"\\Delivered").size() == 1u) << "old source kept";
    ExpectStartedWith(false);
}

TEST_F(UpdateRun, LostCachedPackageIsRepairedFromNuovo) {
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    ::DeleteFileW((scenario.Root().Path() + L"\\Delivered\\" + std::wstring(fx::hub_1_1_601.file)).c_str());
    scenario.DeliverPackage(L"Orvane Hub.msi", fx::hub_1_1_601);
    scenario.Announce(L"Orvane Hub.msi", L"0001.0001.0000.0601");
    const RunOutcome run = scenario.Run(Tail());
    ASSERT_TRUE(run.ended);
    EXPECT_THAT(run.boxes, IsEmpty());
    const std::wstring cache = scenario.Sub(L"Setup") + L"\\" + std::wstring(fx::hub_1_1_601.productCode);
    EXPECT_THAT(scenario.Files(cache), ElementsAre(L"Orvane Hub.msi"));
    EXPECT_EQ(InstalledVersion(L"Orvane Hub", kHubCode), L"0001.0001.0000.0601");
    // Nothing else was due, so the set moved on; the repair alone is no installation.
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), IsEmpty());
    ExpectStartedWith(false);
}

TEST_F(UpdateRun, NewerUpdaterIsTakenIntoCorrenteUnlessRunningFromThere) {
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    DeliverHub120();
    scenario.Deliver(L"ORVHUpdate.exe", OrvhUpdateExe());
    scenario.Announce(L"ORVHUpdate.exe", L"0001.0000.0000.0001");
    ASSERT_TRUE(scenario.Run(Tail()).ended);
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Corrente")),
                ElementsAre(L"ORVHUpdate.cfg", L"ORVHUpdate.exe", L"Orvane Hub.msi"));

    // Next delivery: an updater announced as newer than Corrente's, the launcher itself
    // running from Corrente: its own file is never replaced.
    scenario.Deliver(L"ORVHUpdate.exe", scenario.ProductPath());
    scenario.Announce(L"ORVHUpdate.exe", L"0009.0000.0000.0000");
    scenario.Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    ASSERT_TRUE(scenario.Run(Tail(), std::chrono::minutes(3), scenario.Sub(L"Corrente")).ended);
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Nuovo")), IsEmpty());
    EXPECT_THAT(scenario.Files(scenario.Sub(L"Vecchio")), testing::Not(testing::Contains(L"ORVHUpdate.exe")));
}

} // namespace
} // namespace orvh::test
