#include "main/command_line.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <limits>

namespace orvh {
namespace {

// The platform upper-cases code unit by code unit; for these tails towupper does the same.
std::wstring Upper(std::wstring_view tail) {
    std::wstring upper(tail);
    for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    return upper;
}

CommandSwitches Read(std::wstring_view tail) { return ReadSwitches(tail, Upper(tail)); }

struct TailCase {
    const char* name;
    std::wstring tail;
    CommandSwitches expected;
};

const std::wstring kServer(kServerUpgradeCode);

void PrintTo(const TailCase& c, std::ostream* os) { *os << c.name; }

class ValueRule : public testing::TestWithParam<TailCase> {};

TEST_P(ValueRule, ReadsEverySwitch) {
    EXPECT_EQ(Read(GetParam().tail), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tails, ValueRule,
    testing::Values(
        TailCase{"NoSwitch", L"", {L"", std::nullopt, L"", L"", kServer}},
        TailCase{"AnyCaseValueKeepsCase", L"/pathaggiornamento=C:\\Upd", {L"", std::nullopt, L"", L"C:\\Upd", kServer}},
        TailCase{"QuotedValueThenBlankSwitch",
                 L"/PathAggiornamento=\"C:\\Program Files\\Upd\" /ExeName=C:\\P\\x.exe",
                 {L"", std::nullopt, L"C:\\P\\x.exe", L"C:\\Program Files\\Upd", kServer}},
        TailCase{"RestWithQuoteTakesLaterQuotedText", L"/ExeName=C:\\P\\x.exe /PathAggiornamento=\"C:\\U\"",
                 {L"", std::nullopt, L"C:\\U", L"C:\\U", kServer}},
        TailCase{"EmptyUpgradeCodeIsServer", L"/MsiUpdateCode= /ExeName=x", {L"", std::nullopt, L"x", L"", kServer}},
        TailCase{"ClientUpgradeCodeKept", L"/MsiUpdateCode={D3E85B17-92AF-4C06-B471-5E2A8C9F1D34}",
                 {L"", std::nullopt, L"", L"", std::wstring(kClientUpgradeCode)}},
        TailCase{"LowerCaseUpgradeCodeKeptAsGiven", L"/msiupdatecode={4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}",
                 {L"", std::nullopt, L"", L"", L"{4a7c1e92-6b3d-4f18-8e25-a19c3b7d5f60}"}},
        TailCase{"EmptyExeNameHidesOrvhExe", L"/ExeName= /OrvhExe=C:\\P\\x.exe", {L"", std::nullopt, L"", L"", kServer}},
        TailCase{"OrvhExeWhenExeNameAbsent", L"/OrvhExe=C:\\P\\x.exe", {L"", std::nullopt, L"C:\\P\\x.exe", L"", kServer}},
        TailCase{"ProcessIdTakesNoQuoteRule", L"/AttendiProcesso=\"1234\"",
                 {L"", L"\"1234\"", L"", L"", kServer}},
        TailCase{"ProcessIdUpToBlank", L"/AttendiProcesso=1234 /ExeName=a", {L"", L"1234", L"a", L"", kServer}},
        TailCase{"ProcessIdEmpty", L"/AttendiProcesso=", {L"", L"", L"", L"", kServer}},
        TailCase{"FirstOccurrenceCounts", L"/ExeName=a /ExeName=b", {L"", std::nullopt, L"a", L"", kServer}},
        TailCase{"SwitchInsideAnotherValue", L"/ServizioCluster=x/ExeName=y", {L"x/ExeName=y", std::nullopt, L"y", L"", kServer}},
        TailCase{"TabIsAnOrdinaryCharacter", L"/ExeName=a\tb c", {L"", std::nullopt, L"a\tb", L"", kServer}},
        TailCase{"QuoteOfLaterSwitchTakenByEarlier", L"/ServizioCluster=Res /ExeName=\"C:\\A B\\p.exe\"",
                 {L"C:\\A B\\p.exe", std::nullopt, L"C:\\A B\\p.exe", L"", kServer}},
        TailCase{"UnclosedQuoteRunsToEnd", L"/PathAggiornamento=\"C:\\Upd dir",
                 {L"", std::nullopt, L"", L"C:\\Upd dir", kServer}},
        TailCase{"EmptyQuotedValue", L"/ServizioCluster=\"\"", {L"", std::nullopt, L"", L"", kServer}},
        TailCase{"FullProductLine",
                 L"/PathAggiornamento=\"C:\\Orvane\\Update\" /ExeName=\"C:\\Program Files\\Orvane\\Hub.exe\" "
                 L"/AttendiProcesso=4242",
                 {L"", L"4242", L"C:\\Program Files\\Orvane\\Hub.exe", L"C:\\Orvane\\Update", kServer}}),
    [](const testing::TestParamInfo<TailCase>& info) { return std::string(info.param.name); });

TEST(SwitchValue, AbsentSwitchIsNullopt) {
    EXPECT_FALSE(SwitchValue(L"/ExeName=x", L"/EXENAME=X", L"/OrvhExe=", true).has_value());
}

TEST(HelpRequest, AnyQuestionMarkAsksForHelp) {
    EXPECT_TRUE(IsHelpRequest(L"/?"));
    EXPECT_TRUE(IsHelpRequest(L"/PathAggiornamento=\\\\?\\C:\\Upd"));
    EXPECT_TRUE(IsHelpRequest(L"?"));
    EXPECT_FALSE(IsHelpRequest(L"/PathAggiornamento=C:\\Upd"));
    EXPECT_FALSE(IsHelpRequest(L""));
}

TEST(HelpRequest, EverySlashNBecomesALineBreak) {
    EXPECT_EQ(HelpText(L"/? {Questo messaggio} /n/n/PathAggiornamento={Percorso dei file di aggiornamento}"),
              L"/? {Questo messaggio} \r\n\r\n/PathAggiornamento={Percorso dei file di aggiornamento}");
    EXPECT_EQ(HelpText(L"a/n"), L"a\r\n");
    EXPECT_EQ(HelpText(L"/N/"), L"/N/");
}

TEST(CommandTail, SkipsTheProgramNameAndTheBlanksBehindIt) {
    EXPECT_EQ(CommandTail(L"\"C:\\Program Files\\OrvhUpdate.exe\"  /ExeName=x "), L"/ExeName=x ");
    EXPECT_EQ(CommandTail(L"OrvhUpdate.exe\t/?"), L"/?");
    EXPECT_EQ(CommandTail(L"OrvhUpdate.exe"), L"");
    EXPECT_EQ(CommandTail(L"\"C:\\unterminated"), L"");
    EXPECT_EQ(CommandTail(L""), L"");
}

struct IdCase {
    std::optional<double> number;
    std::int32_t expected;
};

class ProcessIdRule : public testing::TestWithParam<IdCase> {};

TEST_P(ProcessIdRule, RoundsHalfToEvenAndRefusesOutOfRange) {
    EXPECT_EQ(ProcessIdFromNumber(GetParam().number), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ProcessIdRule,
    testing::Values(IdCase{std::nullopt, 0}, IdCase{1234.0, 1234}, IdCase{12.5, 12}, IdCase{13.5, 14},
                    IdCase{12.4999, 12}, IdCase{-2.5, -2}, IdCase{-1.0, -1}, IdCase{2147483647.0, 2147483647},
                    IdCase{2147483647.4, 2147483647}, IdCase{2147483647.5, 0}, IdCase{2147483648.0, 0},
                    IdCase{-2147483648.0, std::numeric_limits<std::int32_t>::min()}, IdCase{-2147483648.6, 0},
                    IdCase{1e300, 0}, IdCase{std::numeric_limits<double>::infinity(), 0},
                    IdCase{std::numeric_limits<double>::quiet_NaN(), 0}));

} // namespace
} // namespace orvh
