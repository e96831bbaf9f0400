// The delivering side's tool end to end: OrvhSet.exe's plan of a set is what OrvhUpdate.exe
// does with it; make then check finds nothing; each broken set of the table gives its error.
#include "installer/version.h"
#include "system/locale_conversions_win32.h"
#include "rows.h"
#include "run_checks.h"

#include <gtest/gtest.h>

namespace orvh::test {
namespace {

namespace fx = fixtures;

// The first value of a field of the plan's JSON, unescaped; arrays whole.
std::string Field(const std::string& json, const std::string& name) {
    auto at = json.find("\"" + name + "\": ");
    if (at == std::string::npos) return "?";
    at += name.size() + 4;
    if (json[at] == '[') return json.substr(at, json.find(']', at) - at + 1);
    if (json[at] != '"') return json.substr(at, json.find_first_of(",}", at) - at);
    std::string value;
    for (++at; json[at] != '"'; ++at) value += json[at] == '\\' ? json[++at] : json[at];
    return value;
}

// The typical set: the next full package, its patch and a launcher, unsigned or signed by the
// launcher's publisher.
std::vector<std::wstring> TypicalFiles(bool signedSet) {
    if (signedSet) return {SignedFixture(L"hub-1.2.0.msi"), SignedFixture(L"hub-1.2.100.msp"), SignedFixture(L"OrvhUpdate.exe")};
    return {FixturePackagePath(fx::hub_1_2_0.file), FixturePackagePath(fx::hub_1_2_100_msp.file), OrvhUpdateExe()};
}

TEST(SetTool, ThePlanIsWhatTheLauncherDoes) {
    // The version installed, a signed set, a signed launcher.
    const std::tuple<const fx::FixturePackage&, bool, bool> rows[] = {
        {fx::hub_1_1_500, false, false}, {fx::hub_1_1_601, true, true}, {fx::hub_1_2_0, false, false},
        {fx::hub_1_1_601, false, true}};
    const VariantLocaleConversions numbers;
    ForEachRow(rows, [&](const auto& row) {
        const auto& [installedPackage, signedSet, signedLauncher] = row;
        UpdateScenario scenario;
        // As the plan has it: installed by an earlier run, from its copy in Setup.
        ASSERT_EQ(scenario.Install(installedPackage, true), 0u);
        const std::wstring set = scenario.Root() / L"set";
        ASSERT_EQ(MakeSet(set, TypicalFiles(signedSet)).exitCode, 0u);
        const ToolRun plan = RunTool(L"plan " + Quoted(set) + L" --json --installed " + std::wstring(installedPackage.version) +
                                     (signedLauncher ? L" --launcher " + Quoted(SignedFixture(L"OrvhUpdate.exe")) : L""));
        ASSERT_EQ(plan.exitCode, 0u) << plan.output;
        for (const auto& name : FolderEntries(set)) scenario.Deliver(name, set + L"\\" + name);
        if (signedLauncher) ASSERT_TRUE(scenario.RunSigned(L"OrvhUpdate.exe"));

        const RunOutcome run = scenario.Run(scenario.Tail());

        ASSERT_TRUE(run.ended);
        const auto starts = scenario.ProductStarts();
        ASSERT_EQ(starts.size(), 1u);
        const std::wstring installed = InstalledVersion(installedPackage.upgradeCode);
        EXPECT_EQ(Field(plan.output, "endVersion"), Utf8(FormatVersion(installed, true, numbers)));
        EXPECT_EQ(Field(plan.output, "rotated") == "true", !std::filesystem::exists(scenario.Sub(L"Nuovo\\ORVHUpdate.cfg")));
        const std::string planned = Field(plan.output, "productCommandLine");
        EXPECT_EQ(planned.substr(planned.find(".exe") + 4), Utf8(starts[0].commandLine.substr(scenario.ProductPath().size())));
        EXPECT_EQ(Field(plan.output, "messages") == "[]", run.boxes.empty());
        EXPECT_EQ(Field(plan.output, "exitCode"), std::to_string(run.exitCode));
        const auto event = std::ranges::find_if(run.journal, [](const auto& l) { return l.event.starts_with(L"Event "); });
        ASSERT_NE(event, run.journal.end());
        EXPECT_TRUE(event->event.starts_with(L"Event " + FromUtf8(Field(plan.output, "eventId")) + L" reported"))
            << Utf8(event->event);
    });
}

TEST(SetTool, MakeThenCheckFindsNothingAndEachBrokenSetGivesItsError) {
    const ScratchFolder folder;
    // make ends with check's exit code (a signed set's make is the plan's).
    const ToolRun made = MakeSet(folder / L"unsigned", TypicalFiles(false));
    ASSERT_EQ(made.exitCode, 0u) << made.output;
    // The entries are the native table's; the launcher's own version is read from its resource.
    EXPECT_NE(ReadFileBytes(folder / L"unsigned\\ORVHUpdate.cfg").find("ORVHUpdate.exe=0001.0000.0000.0001"), std::string::npos);

    const std::string names = "Orvane Hub.msi=0001.0002.0000.0000\r\nORVHPatch.msp=0001.0002.0000.0100\r\n"
                              "ORVHUpdate.exe=0001.0000.0000.0001\r\n";
    const std::string archives = "Orvane Hub.zip=0001.0002.0000.0000\r\nORVHPatch.zip=0001.0002.0000.0100\r\n"
                                 "ORVHUpdate.zip=0001.0000.0000.0001\r\n";
    const auto files = [](const std::wstring& package, const std::wstring& patch, const std::wstring& launcher) {
        return std::vector<std::pair<std::wstring, std::wstring>>{
            {L"Orvane Hub.msi", package}, {L"ORVHPatch.msp", patch}, {L"ORVHUpdate.exe", launcher}};
    };
    // The files, ORVHUpdate.cfg's entries after "[Versione]", and a part of the error: only what the
    // files themselves tell (edition, signer, signature); the entries' own slips are the native table's.
    const std::tuple<std::vector<std::pair<std::wstring, std::wstring>>, std::string, std::string> rows[] = {
        {{{L"Orvane Hub.msi", FixturePackagePath(fx::desk_1_2_0.file)}},
         "Orvane Hub.msi=0001.0002.0000.0000\r\nOrvane Hub.zip=0001.0002.0000.0000\r\n", "is the one of Orvane Desk"},
        {files(SignedFixture(L"hub-1.2.0.msi"), SignedFixture(L"hub-1.2.100-other.msp"), SignedFixture(L"OrvhUpdate.exe")),
         names + archives, "(message 10004)"},
        {files(SignedFixture(L"hub-1.2.0.msi"), FixturePackagePath(fx::hub_1_2_100_msp.file), SignedFixture(L"OrvhUpdate.exe")),
         names + archives, "not signed, beside signed files"},
    };
    ForEachRow(rows, [&](const auto& row, std::size_t i) {
        const auto& [set, entries, error] = row;
        const std::wstring broken = folder / (L"broken" + std::to_wstring(i));
        std::filesystem::create_directories(broken);
        for (const auto& [name, source] : set) std::filesystem::copy_file(source, broken + L"\\" + name);
        WriteFileBytes(broken + L"\\ORVHUpdate.cfg", "[Versione]\r\n" + entries);
        const ToolRun check = RunTool(L"check " + Quoted(broken));
        EXPECT_EQ(check.exitCode, 1u) << check.output;
        EXPECT_NE(check.output.find("error: "), std::string::npos);
        EXPECT_NE(check.output.find(error), std::string::npos) << check.output;
    });
}

} // namespace
} // namespace orvh::test
