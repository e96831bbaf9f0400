// The typical road of a real update run, as only the real program shows it: the window, no box,
// both installer calls in Windows Installer's own log, the product started again. Its end state in
// the update folder is the kill sweep's reference; the roads that end in a message are rows of
// faults_test.cpp.
#include "run_checks.h"

#include <gtest/gtest.h>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;
namespace fx = fixtures;

// Orvane Hub 1.1.601 installed and left in Corrente by an earlier run; the next full package, its
// patch and a newer launcher delivered (unsigned, or signed by the publisher of a signed launcher,
// the full package with its renewed certificate); the product still running when the launcher starts.
void TypicalUpdateWithPatch(const std::wstring& launcher, const std::wstring& package, const std::wstring& patch) {
    UpdateScenario scenario;
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    scenario.EarlierRun();
    if (launcher != OrvhUpdateExe()) ASSERT_TRUE(scenario.RunSigned(L"OrvhUpdate.exe"));
    scenario.Deliver(L"Orvane Hub.msi", package);
    scenario.Deliver(L"ORVHPatch.msp", patch);
    scenario.Deliver(L"ORVHUpdate.exe", launcher);
    scenario.Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    scenario.Announce(L"ORVHPatch.msp", L"0001.0002.0000.0100");
    scenario.Announce(L"ORVHUpdate.exe", L"0001.0000.0000.0001");
    const Sleeper product(1s, 0);

    const RunOutcome run = scenario.Run(scenario.Tail() + L" /AttendiProcesso=" + std::to_wstring(product.ProcessId()));

    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.boxes.size(), 0u);
    EXPECT_TRUE(run.windowShown) << "the progress window was never on screen";
    EXPECT_EQ(InstalledVersion(fx::hub_1_1_601.upgradeCode), L"1.2.100");
    const auto starts = scenario.ProductStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].commandLine, scenario.ProductPath() + L" /NoConsole");
    EXPECT_EQ(starts[0].showCommand, SW_SHOWNORMAL);
    // Windows Installer's own log, named in the journal, holds both calls, the patch appended.
    const auto log = std::ranges::find_if(run.journal, [](const auto& l) { return l.event.starts_with(L"Windows Installer's log: \""); });
    ASSERT_NE(log, run.journal.end());
    const std::string logText = ReadFileBytes(log->event.substr(26, log->event.size() - 27));
    const std::wstring cachedPatch = scenario.Sub(L"Setup\\") + std::wstring(fx::hub_1_2_0.productCode) + L"\\ORVHPatch.msp";
    EXPECT_LT(logText.find("INSTALL."), logText.find("PATCH = " + Utf8(cachedPatch))) << logText;
}

TEST(UpdateRun, TypicalUpdateWithPatch) {
    TypicalUpdateWithPatch(OrvhUpdateExe(), FixturePackagePath(fx::hub_1_2_0.file), FixturePackagePath(fx::hub_1_2_100_msp.file));
}

TEST(UpdateRun, TypicalUpdateWithPatchSignedByTheLaunchersPublisher) {
    TypicalUpdateWithPatch(SignedFixture(L"OrvhUpdate.exe"), SignedFixture(L"hub-1.2.0.msi"), SignedFixture(L"hub-1.2.100.msp"));
}

} // namespace
} // namespace orvh::test
