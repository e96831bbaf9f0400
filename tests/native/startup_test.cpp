// Start-up: the command line's tail, help request and switch values, the process id's rounding, its order.
#include "rows.h"
#include "main/command_line.h"
#include "main/startup.h"
#include "run_fakes.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <variant>

namespace orvh {

void PrintTo(const CommandSwitches& s, std::ostream* os) {
    using testing::PrintToString;
    *os << "{cluster=" << PrintToString(s.clusterResource) << " pid=" << PrintToString(s.processIdText)
        << " exe=" << PrintToString(s.productExecutable) << " folder=" << PrintToString(s.updateFolderValue)
        << " code=" << PrintToString(s.upgradeCode) << "}";
}

namespace {

const std::wstring kHub(kServerUpgradeCode);

// The platform's upper-casing, as far as these tails need it.
std::wstring Upper(std::wstring_view tail) {
    std::wstring upper(tail);
    for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    return upper;
}

TEST(StartUp, ValueRuleOfEverySwitch) {
    const std::nullopt_t none = std::nullopt;
    const std::pair<std::wstring, CommandSwitches> rows[] = {
        {L"", {L"", none, L"", L"", kHub, false, none}},
        {L"/PathAggiornamento=\"C:\\A B\\U\" /ExeName=C:\\x.exe", {L"", none, L"C:\\x.exe", L"C:\\A B\\U", kHub, false, none}},
        // The first quote after the switch counts, even when it belongs to a later switch.
        {L"/ServizioCluster=Res /ExeName=\"C:\\A B\\p.exe\"", {L"C:\\A B\\p.exe", none, L"C:\\A B\\p.exe", L"", kHub, false, none}},
        {L"/MsiUpdateCode= /ExeName=x", {L"", none, L"x", L"", kHub, false, none}},
        {L"/msiupdatecode=\"{4a7c1e92-6b3d}\"", {L"", none, L"", L"", L"{4a7c1e92-6b3d}", false, none}},
        {L"/ExeName= /OrvhExe=C:\\x.exe", {L"", none, L"", L"", kHub, false, none}},
        {L"/OrvhExe=\"C:\\A B\\y.exe\" /MsiUpdateCode=", {L"", none, L"C:\\A B\\y.exe", L"", kHub, false, none}},
        {L"/AttendiProcesso=\"12 34\"", {L"", L"\"12", L"", L"", kHub, false, none}},
        {L"/ExeName=a /ExeName=b", {L"", none, L"a", L"", kHub, false, none}},
        {L"/ServizioCluster=x/ExeName=y", {L"x/ExeName=y", none, L"y", L"", kHub, false, none}},
        {L"/ExeName=a\tb c", {L"", none, L"a\tb", L"", kHub, false, none}},
        {L"/PathAggiornamento=\"C:\\Upd dir", {L"", none, L"", L"C:\\Upd dir", kHub, false, none}},
        {L"/ServizioCluster=\"\"", {L"", none, L"", L"", kHub, false, none}},
        // A switch of its own without value, and the wait's seconds, found by the same rule.
        {L"/noriavvio /AttendiInstaller=5", {L"", none, L"", L"", kHub, true, L"5"}},
        {L"/ExeName=C:\\NoRiavvio.exe", {L"", none, L"C:\\NoRiavvio.exe", L"", kHub, false, none}},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        EXPECT_EQ(ReadSwitches(row.first, Upper(row.first)), row.second);
    });
}

TEST(StartUp, TailHelpRequestAndHelpText) {
    // The full command line; its tail and whether that asks for help.
    const std::tuple<std::wstring, std::wstring, bool> rows[] = {
        {L"\"C:\\Program Files\\OrvhUpdate.exe\"  /ExeName=x ", L"/ExeName=x ", false},
        {L"OrvhUpdate.exe\t/?", L"/?", true}, {L"OrvhUpdate.exe", L"", false}, {L"\"C:\\unterminated /?", L"", false},
        {L"x /PathAggiornamento=\\\\?\\C:\\Upd", L"/PathAggiornamento=\\\\?\\C:\\Upd", true},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [line, tail, help] = row;
        EXPECT_EQ(CommandTail(line), tail);
        EXPECT_EQ(IsHelpRequest(tail), help);
    });
    const std::pair<std::wstring, std::wstring> texts[] = {
        {L"a/n/nb", L"a\r\n\r\nb"}, {L"a/n", L"a\r\n"}, {L"/N/", L"/N/"}, {L"/", L"/"}, {L"/n", L"\r\n"}};
    for (const auto& [usage, shown] : texts) EXPECT_EQ(HelpText(usage), shown);
}

TEST(StartUp, EndsOrReadsTheProcessIdInItsOrder) {
    // The tail, another instance running; the events; the process id and the installer wait's
    // seconds, or the exit code when start-up ended the program.
    using Read = std::pair<std::int32_t, std::int32_t>;
    const std::tuple<std::wstring, bool, std::vector<std::wstring>, std::variant<Read, std::uint32_t>> rows[] = {
        {L"/AttendiProcesso=7 /?", true, {L"message #2 | #10000 | stop"}, 1618u},
        {L"/AttendiProcesso=7 /?", false, {L"hourglass", L"message #2 | #200 | info"}, 0u},
        {L"/AttendiProcesso=12", false, {L"hourglass"}, Read{12, 600}},
        {L"/AttendiProcesso=abc", false, {L"hourglass"}, Read{0, 600}},
        {L"/AttendiProcesso=2147483648", false, {L"hourglass"}, Read{0, 600}},
        {L"/AttendiInstaller=5", false, {L"hourglass"}, Read{0, 5}},
        {L"/AttendiInstaller=-5", false, {L"hourglass"}, Read{0, 600}},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [tail, another, events, expected] = row;
        test::RunFakes fakes;
        fakes.anotherInstance = another;
        RunRecord record;
        const auto settings = StartUp(tail, Upper(tail), {.texts = fakes, .dialogs = fakes, .instances = fakes,
                                                          .pointer = fakes, .numbers = fakes.conversions}, record);
        if (settings) {
            EXPECT_EQ(expected, (std::variant<Read, std::uint32_t>(Read{settings->processId, settings->installerWaitSeconds})));
        } else {
            EXPECT_EQ(expected, (std::variant<Read, std::uint32_t>(DecideEnd(record).exitCode)));
        }
        EXPECT_EQ(fakes.log, events);
    });
}

} // namespace
} // namespace orvh
