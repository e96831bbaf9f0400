// The typical road of a real update run; the roads that end in a message are rows of faults_test.cpp.
#include "test_text.h"
#include "delivery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;
namespace fx = fixtures;

// The set of the typical road: unsigned, or signed by the publisher of a signed launcher (the
// full package with its renewed certificate).
struct TypicalSet {
    std::wstring launcher, package, patch; // paths
    std::wstring launcherShown, packageShown, patchShown; // as Contents shows them
};

// Orvane Hub 1.1.601 installed and left in Corrente by an earlier run; the next full package, its
// patch and a newer launcher delivered; the product still running when the launcher starts.
void TypicalUpdateWithPatch(const TypicalSet& set) {
    UpdateScenario scenario;
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    scenario.EarlierRun();
    if (set.launcher != OrvhUpdateExe()) ASSERT_TRUE(scenario.RunSigned(L"OrvhUpdate.exe"));
    scenario.Deliver(L"Orvane Hub.msi", set.package);
    scenario.Deliver(L"ORVHPatch.msp", set.patch);
    scenario.Deliver(L"ORVHUpdate.exe", set.launcher);
    scenario.Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    scenario.Announce(L"ORVHPatch.msp", L"0001.0002.0000.0100");
    scenario.Announce(L"ORVHUpdate.exe", L"0001.0000.0000.0001");
    const std::string delivered = ReadFileBytes(scenario.Sub(L"Nuovo\\ORVHUpdate.cfg"));
    const Sleeper product(1s, 0);

    const RunOutcome run = scenario.Run(scenario.Tail() + L" /AttendiProcesso=" + std::to_wstring(product.ProcessId()));

    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.boxes.size(), 0u);
    EXPECT_TRUE(run.windowShown) << "the progress window was never on screen";
    // Both installer calls took effect: the full package, then the patch over it.
    EXPECT_EQ(InstalledVersion(fx::hub_1_1_601.upgradeCode), L"1.2.100");
    const std::wstring source = scenario.Sub(L"Setup\\") + std::wstring(fx::hub_1_2_0.productCode);
    EXPECT_THAT(FolderEntries(scenario.Sub(L"Setup")), ElementsAre(std::wstring(fx::hub_1_2_0.productCode)));
    EXPECT_THAT(Contents(source), ElementsAre(L"ORVHPatch.msp " + set.patchShown, L"Orvane Hub.msi " + set.packageShown));
    EXPECT_THAT(Contents(scenario.Sub(L"Nuovo")), ElementsAre());
    EXPECT_THAT(Contents(scenario.Sub(L"Corrente")),
                ElementsAre(L"ORVHPatch.msp " + set.patchShown, L"ORVHUpdate.cfg", L"ORVHUpdate.exe " + set.launcherShown,
                            L"Orvane Hub.msi " + set.packageShown));
    EXPECT_THAT(Contents(scenario.Sub(L"Vecchio")), ElementsAre(L"ORVHUpdate.cfg", L"Orvane Hub.msi 1.1.601"));
    EXPECT_TRUE(ReadFileBytes(scenario.Sub(L"Corrente\\ORVHUpdate.cfg")) == delivered);
    EXPECT_TRUE(ReadFileBytes(scenario.Sub(L"Vecchio\\ORVHUpdate.cfg")) == kEarlierConfiguration);
    const auto starts = scenario.ProductStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].commandLine, scenario.ProductPath() + L" /NoConsole") << Narrow(starts[0].commandLine);
    EXPECT_EQ(starts[0].showCommand, SW_SHOWNORMAL);

    const auto copy = [&](const std::wstring& from, const std::wstring& to) {
        return L"Copy \"" + scenario.Sub(from) + L"\" to \"" + scenario.Sub(to) + L"\": done";
    };
    const std::wstring cached = L"Setup\\" + std::wstring(fx::hub_1_2_0.productCode);
    EXPECT_EQ(MissingInOrder(run.journal, {L"Command line: " + scenario.Tail(), L"Wait over after",
                                           L"Installed version 0001.0001.0000.0601",
                                           L"(keys \"Orvane Hub.msi\", \"ORVHPatch.msp\"): full package 0001.0002.0000.0000, patch 0001.0002.0000.0100",
                                           copy(L"Corrente\\Orvane Hub.msi", L"Vecchio\\Orvane Hub.msi"),
                                           copy(L"Nuovo\\Orvane Hub.msi", L"Corrente\\Orvane Hub.msi"),
                                           copy(L"Corrente\\Orvane Hub.msi", cached + L"\\Orvane Hub.msi"),
                                           L"install ended with result 0",
                                           copy(L"Corrente\\ORVHPatch.msp", cached + L"\\ORVHPatch.msp"),
                                           L"apply patch ended with result 0", L"Rotation done",
                                           L"command line \"" + scenario.ProductPath() + L" /NoConsole\": done",
                                           L"Final check: installed version 0001.0002.0000.0100", L"End"}),
              "");
    // Windows Installer's own log, named in the journal, holds both calls, the patch appended.
    const auto log = std::ranges::find_if(run.journal, [](const auto& l) { return l.event.starts_with(L"Windows Installer's log: \""); });
    ASSERT_NE(log, run.journal.end());
    const std::string logText = ReadFileBytes(log->event.substr(26, log->event.size() - 27));
    EXPECT_LT(logText.find("INSTALL."), logText.find("PATCH = " + Narrow(scenario.Sub(cached + L"\\ORVHPatch.msp")))) << logText;
}

TEST(UpdateRun, TypicalUpdateWithPatch) {
    TypicalUpdateWithPatch({OrvhUpdateExe(), FixturePackagePath(fx::hub_1_2_0.file),
                            FixturePackagePath(fx::hub_1_2_100_msp.file), L"(launcher)", L"1.2.0", L"1.2.100"});
}

TEST(UpdateRun, TypicalUpdateWithPatchSignedByTheLaunchersPublisher) {
    TypicalUpdateWithPatch({SignedFixture(L"OrvhUpdate.exe"), SignedFixture(L"hub-1.2.0.msi"),
                            SignedFixture(L"hub-1.2.100.msp"), L"(signed OrvhUpdate.exe)", L"(signed hub-1.2.0.msi)",
                            L"(signed hub-1.2.100.msp)"});
}

} // namespace
} // namespace orvh::test
