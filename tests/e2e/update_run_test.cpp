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
    EXPECT_EQ(run.exitCode, 0u);
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
    // One event, information, of the edition, both versions, the exit code and the journal. Windows
    // keeps it in the Application log; Wine 8's ReportEventW keeps nothing (its debug lines are
    // read from Linux by fonts_restart_check.sh), so under Wine the journal's account stands in.
    EXPECT_EQ(MissingInOrder(run.journal, {L"Exit code 0: ", L"Event 1000 reported to the Application log", L"End"}), L"");
    if (!UnderWine()) {
        const auto event = NewestEvent();
        ASSERT_TRUE(event);
        EXPECT_EQ(event->id, 1000u);
        EXPECT_EQ(event->type, EVENTLOG_INFORMATION_TYPE);
        ASSERT_EQ(event->strings.size(), 5u);
        EXPECT_EQ(std::vector(event->strings.begin(), event->strings.end() - 1),
                  (std::vector<std::wstring>{L"Orvane Hub", L"0001.0001.0000.0601", L"0001.0002.0000.0100", L"0"}));
        EXPECT_TRUE(event->strings[4].starts_with(JournalFolder() + L"\\OrvhUpdate_")) << Utf8(event->strings[4]);
    }
    // The source registered by the elevated run (Wine runs everything elevated), with the launcher's texts.
    const wchar_t* source = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\OrvhUpdate";
    wchar_t file[MAX_PATH]{};
    DWORD types = 0, fileSize = sizeof file, typesSize = sizeof types;
    ::RegGetValueW(HKEY_LOCAL_MACHINE, source, L"EventMessageFile", RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, file, &fileSize);
    ::RegGetValueW(HKEY_LOCAL_MACHINE, source, L"TypesSupported", RRF_RT_REG_DWORD, nullptr, &types, &typesSize);
    EXPECT_EQ(std::wstring(file) + L" " + std::to_wstring(types), scenario.Program() + L" 7");
}

// Every end's event (ids 1000 to 1008) has its text in the launcher's message table, the
// edition, the versions, the exit code and the journal inserted in that order.
TEST(Events, EachHasItsTextInTheMessageTable) {
    for (unsigned id = 1000; id <= 1008; ++id) {
        const std::wstring text = EventText(id, {L"<edition>", L"<before>", L"<after>", L"<code>", L"<journal>"});
        std::size_t at = 0;
        for (const auto* insert : {L"<edition>", L"<before>", L"<after>", L"<code>", L"<journal>"}) {
            at = text.find(insert, at);
            EXPECT_NE(at, std::wstring::npos) << id << " " << Utf8(insert) << " in " << Utf8(text);
        }
    }
    EXPECT_EQ(EventText(1009, {}), L"");
}

} // namespace
} // namespace orvh::test
