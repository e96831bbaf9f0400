// The main roads of a real update run through OrvhUpdate.exe: real packages installed by
// Windows Installer, the update folder as the delivering side leaves it, a product stand-in.
#include "fixture_paths.h"
#include "test_text.h"
#include "update_scenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;
namespace fx = fixtures;

const std::wstring kHubCode(fx::hub_1_1_601.upgradeCode);
using Listing = std::vector<std::wstring>;
const std::string kEarlierConfiguration = "[Versione]\r\nOrvane Hub.msi=0001.0001.0000.0601\r\n";

// Orvane Hub 1.1.601 installed, an earlier run's package and configuration in Corrente; the
// next full package, its patch and a newer launcher delivered into Nuovo; the product still
// running when the launcher starts.
TEST(UpdateRun, TypicalUpdateWithPatch) {
    UpdateScenario scenario;
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    std::filesystem::create_directories(scenario.Sub(L"Corrente"));
    std::filesystem::copy_file(FixturePackagePath(fx::hub_1_1_601.file), scenario.Sub(L"Corrente\\Orvane Hub.msi"));
    WriteFileBytes(scenario.Sub(L"Corrente\\ORVHUpdate.cfg"), kEarlierConfiguration);
    scenario.DeliverPackage(L"Orvane Hub.msi", fx::hub_1_2_0);
    scenario.Deliver(L"ORVHPatch.msp", FixturePackagePath(fx::hub_1_2_100_msp.file));
    scenario.Deliver(L"ORVHUpdate.exe", OrvhUpdateExe());
    scenario.Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    scenario.Announce(L"ORVHPatch.msp", L"0001.0002.0000.0100");
    scenario.Announce(L"ORVHUpdate.exe", L"0001.0000.0000.0001");
    const std::string delivered = ReadFileBytes(scenario.Sub(L"Nuovo\\ORVHUpdate.cfg"));
    const Sleeper product(1s, 0);

    const RunOutcome run = scenario.Run(scenario.Tail() + L" /AttendiProcesso=" + std::to_wstring(product.Id()));

    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.boxes.size(), 0u);
    EXPECT_TRUE(run.lastWindow.has_value()) << "the progress window was never on screen";
    // Both installer calls took effect: the full package, then the patch over it.
    EXPECT_EQ(InstalledVersion(L"Orvane Hub", kHubCode), L"0001.0002.0000.0100");
    const std::wstring source = scenario.Sub(L"Setup\\") + std::wstring(fx::hub_1_2_0.productCode);
    EXPECT_THAT(FolderEntries(scenario.Sub(L"Setup")), ElementsAre(std::wstring(fx::hub_1_2_0.productCode)));
    EXPECT_THAT(FolderEntries(source), ElementsAre(L"ORVHPatch.msp", L"Orvane Hub.msi"));
    EXPECT_THAT(FolderEntries(scenario.Sub(L"Nuovo")), ElementsAre());
    EXPECT_THAT(FolderEntries(scenario.Sub(L"Corrente")),
                ElementsAre(L"ORVHPatch.msp", L"ORVHUpdate.cfg", L"ORVHUpdate.exe", L"Orvane Hub.msi"));
    EXPECT_THAT(FolderEntries(scenario.Sub(L"Vecchio")), ElementsAre(L"ORVHUpdate.cfg", L"Orvane Hub.msi"));
    // Each copy holds what it came from.
    const std::pair<std::wstring, std::string> copies[] = {
        {L"Corrente\\Orvane Hub.msi", ReadFileBytes(FixturePackagePath(fx::hub_1_2_0.file))},
        {L"Corrente\\ORVHPatch.msp", ReadFileBytes(FixturePackagePath(fx::hub_1_2_100_msp.file))},
        {L"Corrente\\ORVHUpdate.exe", ReadFileBytes(OrvhUpdateExe())},
        {L"Corrente\\ORVHUpdate.cfg", delivered},
        {L"Vecchio\\Orvane Hub.msi", ReadFileBytes(FixturePackagePath(fx::hub_1_1_601.file))},
        {L"Vecchio\\ORVHUpdate.cfg", kEarlierConfiguration}};
    for (const auto& [copy, original] : copies) {
        EXPECT_TRUE(ReadFileBytes(scenario.Sub(copy)) == original) << Narrow(copy);
    }
    const auto starts = scenario.ProductStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].commandLine, scenario.ProductPath() + L" /NoConsole") << Narrow(starts[0].commandLine);
    EXPECT_EQ(starts[0].showCommand, SW_SHOWNORMAL);
}

struct Refusal {
    const char* name;
    bool announced;          // whether Nuovo holds ORVHUpdate.cfg
    std::wstring switches;   // after the product's tail
    std::wstring text;
};

class Refusals : public testing::TestWithParam<Refusal> {};

// Nothing is staged or installed; the product starts, told that no update was installed.
TEST_P(Refusals, ShowTheMessageAndStartTheProduct) {
    UpdateScenario scenario;
    ASSERT_EQ(scenario.Install(fx::hub_1_1_601), 0u);
    scenario.DeliverPackage(L"Orvane Hub.msi", fx::hub_1_2_0);
    if (GetParam().announced) scenario.Announce(L"Orvane Hub.msi", L"0001.0002.0000.0000");
    const Listing nuovo = FolderEntries(scenario.Sub(L"Nuovo"));

    const RunOutcome run = scenario.Run(scenario.Tail() + GetParam().switches);

    ASSERT_TRUE(run.ended);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].contents.title, StringText(2));
    EXPECT_EQ(run.boxes[0].contents.text, GetParam().text) << Narrow(run.boxes[0].contents.text);
    EXPECT_EQ(run.boxes[0].contents.icon, BoxIcon::Stop);
    EXPECT_TRUE(run.boxes[0].windowVisible);
    EXPECT_EQ(FolderEntries(scenario.Sub(L"Nuovo")), nuovo);
    EXPECT_EQ(FolderEntries(scenario.Sub(L"Corrente")), Listing{});
    EXPECT_EQ(InstalledVersion(L"Orvane Hub", kHubCode), L"0001.0001.0000.0601");
    const auto starts = scenario.ProductStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].commandLine, scenario.ProductPath() + L" /IgnoraAggiornamento /NoConsole");
}

// The upgrade code is taken exactly: in lower case it names no edition's installed product.
const std::wstring kLowerCaseCode = L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}";

INSTANTIATE_TEST_SUITE_P(Messages, Refusals, testing::Values(
    Refusal{"NoConfigurationFile", false, L"", StringText(202) + L" 'ORVHUpdate.cfg'"},
    Refusal{"NoInstalledProduct", true, L" /MsiUpdateCode=" + kLowerCaseCode, StringText(203) + L" " + kLowerCaseCode}),
    [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvh::test
