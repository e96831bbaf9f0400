// Odd and hostile command-line tails through the real OrvhUpdate.exe: each ends in the
// way the value rules decide, and only the folder they name (or the program's own, when
// the named one does not exist) gets the update sub-folders.
#include "fault_injection.h"
#include "system/platform_error.h"
#include "update_scenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orvh::test {
namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::IsEmpty;

const std::vector<std::wstring> kAllSubFolders = {L"Vecchio", L"Corrente", L"Nuovo", L"Setup"};
const std::wstring kNoConfiguration =
    L"Impossibile trovare il file di configurazione dell'aggiornamento 'ORVHUpdate.cfg'";

std::string Narrow(const std::wstring& w) {
    std::string n;
    for (wchar_t c : w) n += c < 0x80 ? static_cast<char>(c) : '?';
    return n;
}

// No product is installed and Nuovo holds nothing: every run reports the missing
// configuration file, then starts the product it was given, if that exists.
class HostileTail : public testing::Test {
protected:
    std::wstring ProgramFolder() const { return scenario.Root() / L"Program"; }
    std::wstring Quoted(const std::wstring& switchName, const std::wstring& value) const {
        return L"/" + switchName + L"=\"" + value + L"\"";
    }
    std::wstring Tail() const { return scenario.Tail(); }
    RunOutcome RunToEnd(const std::wstring& tail) {
        MakeFolderPath(scenario.UpdateFolder());
        RunOutcome run = scenario.Run(tail, 1min);
        EXPECT_TRUE(run.ended);
        return run;
    }
    static void ExpectOnlyTheMissingConfigurationReported(const RunOutcome& run) {
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].contents.text, kNoConfiguration);
    }
    void ExpectStarted(const std::wstring& product) {
        const auto starts = scenario.ProductStarts();
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].program, product) << Narrow(starts[0].program);
        EXPECT_EQ(starts[0].commandLine, product + L" /IgnoraAggiornamento /NoConsole") << Narrow(starts[0].commandLine);
    }
    void ExpectUpdateFolderUsed(const std::wstring& folder) {
        EXPECT_EQ(UpdateSubFoldersIn(folder), kAllSubFolders);
        if (folder != ProgramFolder()) EXPECT_THAT(UpdateSubFoldersIn(ProgramFolder()), IsEmpty());
        EXPECT_THAT(UpdateSubFoldersIn(scenario.Root().Path()), IsEmpty());
    }

    UpdateScenario scenario;
};

TEST_F(HostileTail, MissingClosingQuoteIsClosedByTheEndOfTheLine) {
    const RunOutcome run = RunToEnd(Quoted(L"PathAggiornamento", scenario.UpdateFolder()) + L" /ExeName=\"" +
                                    scenario.ProductPath());
    ExpectOnlyTheMissingConfigurationReported(run);
    ExpectUpdateFolderUsed(scenario.UpdateFolder());
    ExpectStarted(scenario.ProductPath());
}

TEST_F(HostileTail, MissingClosingQuoteTakesTheNextSwitchIntoTheValue) {
    // The folder's value runs to the next quote: "<folder> /ExeName=", which does not exist.
    const RunOutcome run = RunToEnd(L"/PathAggiornamento=\"" + scenario.UpdateFolder() + L" " +
                                    Quoted(L"ExeName", scenario.ProductPath()));
    ExpectOnlyTheMissingConfigurationReported(run);
    EXPECT_THAT(UpdateSubFoldersIn(scenario.UpdateFolder()), IsEmpty());
    ExpectUpdateFolderUsed(ProgramFolder());
    ExpectStarted(scenario.ProductPath());
}

TEST_F(HostileTail, RepeatedSwitchesCountAtTheirFirstOccurrence) {
    const std::wstring other = scenario.Root() / L"Other";
    MakeFolderPath(other);
    const std::wstring otherProduct = other + L"\\Hub.exe";
    ASSERT_TRUE(::CopyFileW(scenario.ProductPath().c_str(), otherProduct.c_str(), FALSE));
    const RunOutcome run =
        RunToEnd(Tail() + L" " + Quoted(L"PATHAGGIORNAMENTO", other) + L" " + Quoted(L"exename", otherProduct) + L" " +
                 Quoted(L"PathAggiornamento", other));
    ExpectOnlyTheMissingConfigurationReported(run);
    ExpectUpdateFolderUsed(scenario.UpdateFolder());
    EXPECT_THAT(UpdateSubFoldersIn(other), IsEmpty());
    ExpectStarted(scenario.ProductPath());
}

TEST_F(HostileTail, VeryLongTailIsReadLikeAShortOne) {
    // Filler of 40 000 characters after the switches: blanks, words, stray slashes and
    // equals signs, but no switch name and no quote.
    std::wstring filler;
    while (filler.size() < 40000) filler += L" /Altro=valore x=y / = ";
    const std::wstring tail = Tail() + L" " + filler;
    ASSERT_GE(tail.size(), 40000u);
    MakeFolderPath(scenario.UpdateFolder());
    RunOutcome run;
    try {
        run = scenario.Run(tail, 1min);
    } catch (const PlatformError&) {
        // Windows passes at most 32 767 characters to a new process (Wine passes more):
        // the launcher was never started, so nothing can have been touched.
        EXPECT_THAT(UpdateSubFoldersIn(scenario.UpdateFolder()), IsEmpty());
        EXPECT_THAT(UpdateSubFoldersIn(ProgramFolder()), IsEmpty());
        return;
    }
    ASSERT_TRUE(run.ended);
    ExpectOnlyTheMissingConfigurationReported(run);
    ExpectUpdateFolderUsed(scenario.UpdateFolder());
    ExpectStarted(scenario.ProductPath());
}

class ControlCharacterInValues : public HostileTail, public testing::WithParamInterface<wchar_t> {};

// The character stays in the value: no folder or file has such a name, so the program's
// own folder is used and no product is started.
TEST_P(ControlCharacterInValues, KeepsTheValueFromNamingAnything) {
    const wchar_t c = GetParam();
    const RunOutcome run = RunToEnd(Quoted(L"PathAggiornamento", scenario.UpdateFolder() + c) + L" " +
                                    Quoted(L"ExeName", scenario.ProductPath() + c));
    ExpectOnlyTheMissingConfigurationReported(run);
    EXPECT_THAT(UpdateSubFoldersIn(scenario.UpdateFolder()), IsEmpty());
    EXPECT_EQ(UpdateSubFoldersIn(ProgramFolder()), kAllSubFolders);
    EXPECT_THAT(scenario.ProductStarts(0), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(TabCrLf, ControlCharacterInValues, testing::Values(L'\t', L'\r', L'\n'));

struct NonAsciiCase {
    const wchar_t* updateFolderName;
    const wchar_t* productFolderName;
};

class NonAsciiPaths : public HostileTail, public testing::WithParamInterface<NonAsciiCase> {};

TEST_P(NonAsciiPaths, NameTheUpdateFolderAndTheProductStarted) {
    const std::wstring folder = scenario.Root() / GetParam().updateFolderName;
    const std::wstring productFolder = scenario.Root() / GetParam().productFolderName;
    MakeFolderPath(folder);
    MakeFolderPath(productFolder);
    const std::wstring product = productFolder + L"\\Hub.exe";
    ASSERT_TRUE(::CopyFileW(scenario.ProductPath().c_str(), product.c_str(), FALSE));
    const RunOutcome run = RunToEnd(Quoted(L"PathAggiornamento", folder) + L" " + Quoted(L"ExeName", product));
    ExpectOnlyTheMissingConfigurationReported(run);
    ExpectUpdateFolderUsed(folder);
    EXPECT_THAT(UpdateSubFoldersIn(scenario.UpdateFolder()), IsEmpty());
    ExpectStarted(product);
}

INSTANTIATE_TEST_SUITE_P(ItalianAndChinese, NonAsciiPaths,
                         testing::Values(NonAsciiCase{L"Aggiornamenti \u00e8 gi\u00e0", L"\u66f4\u65b0"},
                                         NonAsciiCase{L"\u66f4\u65b0", L"Aggiornamenti \u00e8 gi\u00e0"}));

// Values of "/AttendiProcesso=" built around a live sleeper's id: the run waits for the
// sleeper only when the value reads as a number that rounds to that id.
struct ProcessIdCase {
    const char* name;
    std::wstring (*value)(std::int32_t pid, const std::wstring& decimalSeparator);
    bool waits;
};

std::wstring DecimalSeparator() {
    wchar_t separator[8] = {};
    ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    return separator;
}

class ProcessIdValue : public HostileTail, public testing::WithParamInterface<ProcessIdCase> {};

TEST_P(ProcessIdValue, WaitsOnlyForANumberThatRoundsToTheProcess) {
    constexpr auto kSleep = 4s;
    const Sleeper sleeper(kSleep, 0);
    const std::wstring value = GetParam().value(sleeper.Id(), DecimalSeparator());
    const auto started = std::chrono::steady_clock::now();
    const RunOutcome run = RunToEnd(Tail() + L" /AttendiProcesso=" + value);
    const auto took = std::chrono::steady_clock::now() - started;
    ExpectOnlyTheMissingConfigurationReported(run);
    if (GetParam().waits) {
        EXPECT_GE(took, kSleep - 500ms);
        EXPECT_TRUE(sleeper.Ended()) << Narrow(value);
    } else {
        EXPECT_FALSE(sleeper.Ended()) << "the run waited for " << Narrow(value);
    }
    ExpectUpdateFolderUsed(scenario.UpdateFolder());
    ExpectStarted(scenario.ProductPath());
}

std::wstring Text(long long n) { return std::to_wstring(n); }

INSTANTIATE_TEST_SUITE_P(
    Values, ProcessIdValue,
    testing::Values(
        ProcessIdCase{"Plain", [](std::int32_t pid, const std::wstring&) { return Text(pid); }, true},
        ProcessIdCase{"FractionInTheUsersDecimalForm",
                      [](std::int32_t pid, const std::wstring& sep) { return Text(pid) + sep + L"4"; }, true},
        ProcessIdCase{"Exponent", [](std::int32_t pid, const std::wstring&) { return Text(pid) + L"e0"; }, true},
        ProcessIdCase{"BeyondThe32BitRange",
                      [](std::int32_t pid, const std::wstring&) { return Text(pid + 4294967296LL); }, false},
        ProcessIdCase{"TwoToThe31", [](std::int32_t, const std::wstring&) { return std::wstring(L"2147483648"); }, false},
        ProcessIdCase{"Negative", [](std::int32_t pid, const std::wstring&) { return Text(-pid); }, false},
        ProcessIdCase{"MinusOne", [](std::int32_t, const std::wstring&) { return std::wstring(L"-1"); }, false},
        ProcessIdCase{"TwelveCommaFive", [](std::int32_t, const std::wstring&) { return std::wstring(L"12,5"); }, false},
        // The value runs to the first blank: here it is a lone quote.
        ProcessIdCase{"QuotedWithALeadingBlank",
                      [](std::int32_t pid, const std::wstring&) { return L"\" " + Text(pid) + L"\""; }, false},
        ProcessIdCase{"LeadingBlank", [](std::int32_t pid, const std::wstring&) { return L" " + Text(pid); }, false}),
    [](const testing::TestParamInfo<ProcessIdCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvh::test
