// The typical road of a real update run, as only the real program shows it: a signed launcher and
// a set signed by its publisher (the full package with the renewed certificate), made by the
// delivering side's tool, verified and used; the window, no box, both installer calls in Windows
// Installer's own log, the product started again. The unsigned road and its end state in the
// update folder are the kill sweep's reference run; the roads that end in a message are rows of
// faults_test.cpp.
#include "run_checks.h"

#include <gtest/gtest.h>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;
namespace fx = fixtures;

// Orvane Hub 1.1.601 installed from Setup and left in Corrente by an earlier run; the next full
// package, its patch and a newer launcher delivered; the product still running when the launcher starts.
TEST(UpdateRun, TypicalUpdateWithPatchSignedByTheLaunchersPublisher) {
    UpdateScenario scenario;
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601, true), 0u);
    scenario.EarlierRun();
    ASSERT_TRUE(scenario.RunSigned(L"OrvhUpdate.exe"));
    // The set as the delivering side makes it, with the tool.
    const std::wstring set = scenario.Root() / L"set";
    ASSERT_EQ(MakeSet(set, {SignedFixture(L"hub-1.2.0.msi"), SignedFixture(L"hub-1.2.100.msp"), SignedFixture(L"OrvhUpdate.exe")})
                  .exitCode,
              0u);
    for (const auto& name : FolderEntries(set)) scenario.Deliver(name, set + L"\\" + name);
    const Sleeper product(1s, 0);

    const RunOutcome run = scenario.Run(scenario.Tail() + L" /AttendiProcesso=" + std::to_wstring(product.ProcessId()));

    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.boxes.size(), 0u);
    EXPECT_TRUE(run.windowShown) << "the progress window was never on screen";
    EXPECT_EQ(InstalledVersion(fx::hub_1_1_601.upgradeCode), L"1.2.100");
    EXPECT_EQ(FolderEntries(scenario.Sub(L"Setup")), std::vector<std::wstring>{std::wstring(fx::hub_1_2_0.productCode)})
        << "the replaced version's source stays";
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

} // namespace
} // namespace orvh::test
