#include "main/startup.h"

#include "resources/string_table.h"
#include "system/locale_conversions.h"
#include "system/single_instance.h"
#include "ui/dialogs.h"
#include "ui/mouse_pointer.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace orvh {
namespace {

const std::wstring kServer(kServerUpgradeCode);
const std::wstring kTitle = L"Orvane Hub Update";
const std::wstring kSecondInstanceText = L"Impossibile avviare pi\u00f9 istanze dell'applicazione";
const std::wstring kUsage = L"/? {Questo messaggio} /n/n/PathAggiornamento={Percorso dei file di aggiornamento}";
const std::wstring kUsageShown = L"/? {Questo messaggio} \r\n\r\n/PathAggiornamento={Percorso dei file di aggiornamento}";

// What the fakes saw, in the order it happened.
using Events = std::vector<std::string>;

class FakeTexts final : public StringTable {
public:
    std::wstring LoadDllString(std::int32_t index) const override {
        const std::map<std::int32_t, std::wstring> table = {{2, kTitle}, {200, kUsage}, {10000, kSecondInstanceText}};
        const auto found = table.find(index);
        return found == table.end() ? MissingResourceText(index) : found->second;
    }
};

struct Box {
    std::wstring text;
    std::wstring title;
    MessageIcon icon;
    bool operator==(const Box&) const = default;
};

class FakeDialogs final : public Dialogs {
public:
    explicit FakeDialogs(Events& events) : events_(events) {}
    void ShowMessage(std::wstring_view text, std::wstring_view title, MessageIcon icon) override {
        events_.push_back("box");
        boxes.push_back({std::wstring(text), std::wstring(title), icon});
    }
    std::vector<Box> boxes;

private:
    Events& events_;
};

class FakeInstances final : public InstanceGuard {
public:
    explicit FakeInstances(bool another) : another_(another) {}
    bool AnotherInstanceRunning() const override { return another_; }

private:
    bool another_;
};

class FakePointer final : public MousePointer {
public:
    explicit FakePointer(Events& events) : events_(events) {}
    void SetHourglass(bool hourglass) override { events_.push_back(hourglass ? "hourglass" : "default pointer"); }

private:
    Events& events_;
};

// The platform's numeric reading: answers `answer` and records what it was asked.
class FakeNumbers final : public LocaleConversions {
public:
    explicit FakeNumbers(std::optional<double> answer) : answer_(answer) {}
    std::optional<double> ParseNumber(std::wstring_view text) const override {
        asked.emplace_back(text);
        return answer_;
    }
    std::wstring NumberToText(double) const override { return L""; }
    std::optional<double> ParseDate(std::wstring_view) const override { return std::nullopt; }
    std::wstring DateToText(double) const override { return L""; }
    std::wstring DateSeparator() const override { return L"/"; }

    mutable std::vector<std::wstring> asked;

private:
    std::optional<double> answer_;
};

std::wstring Upper(std::wstring_view tail) {
    std::wstring upper(tail);
    for (auto& c : upper) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return upper;
}

// One start-up against the fakes.
struct Outcome {
    std::optional<RunSettings> settings;
    Events events;
    std::vector<Box> boxes;
    std::vector<std::wstring> numbersAsked;
};

Outcome Start(std::wstring_view tail, bool anotherInstance, std::optional<double> numberAnswer = std::nullopt) {
    Outcome outcome;
    const FakeTexts texts;
    FakeDialogs dialogs(outcome.events);
    const FakeInstances instances(anotherInstance);
    FakePointer pointer(outcome.events);
    const FakeNumbers numbers(numberAnswer);
    outcome.settings = StartUp(tail, Upper(tail), {texts, dialogs, instances, pointer, numbers});
    outcome.boxes = dialogs.boxes;
    outcome.numbersAsked = numbers.asked;
    return outcome;
}

class StartUpAnotherInstance : public testing::TestWithParam<std::wstring> {};

TEST_P(StartUpAnotherInstance, ShowsOnlyTheSecondInstanceMessageAndEnds) {
    const auto outcome = Start(GetParam(), true, 1234.0);
    EXPECT_FALSE(outcome.settings.has_value());
    EXPECT_EQ(outcome.events, Events{"box"});
    EXPECT_EQ(outcome.boxes, (std::vector<Box>{{kSecondInstanceText, kTitle, MessageIcon::CriticalStop}}));
    EXPECT_TRUE(outcome.numbersAsked.empty());
}

INSTANTIATE_TEST_SUITE_P(Tails, StartUpAnotherInstance,
                         testing::Values(L"", L"/?", L"/AttendiProcesso=1234 /ExeName=C:\\P\\x.exe"));

class StartUpHelpRequest : public testing::TestWithParam<std::wstring> {};

TEST_P(StartUpHelpRequest, ShowsTheUsageMessageUnderTheHourglassAndEnds) {
    const auto outcome = Start(GetParam(), false, 1234.0);
    EXPECT_FALSE(outcome.settings.has_value());
    EXPECT_EQ(outcome.events, (Events{"hourglass", "box"}));
    EXPECT_EQ(outcome.boxes, (std::vector<Box>{{kUsageShown, kTitle, MessageIcon::Information}}));
    EXPECT_TRUE(outcome.numbersAsked.empty());
}

INSTANTIATE_TEST_SUITE_P(Tails, StartUpHelpRequest,
                         testing::Values(L"/?", L"?", L"/PathAggiornamento=\\\\?\\C:\\Upd",
                                         L"/AttendiProcesso=1234 /ExeName=a?b"));

struct TailCase {
    const char* name;
    std::wstring tail;
    std::optional<double> numberAnswer;  // what the platform's numeric reading says
    std::vector<std::wstring> numbersAsked;
    RunSettings expected;
};

void PrintTo(const TailCase& c, std::ostream* os) { *os << c.name; }

class StartUpSettings : public testing::TestWithParam<TailCase> {};

TEST_P(StartUpSettings, ComeFromTheTailWithoutAnyBox) {
    const auto& c = GetParam();
    const auto outcome = Start(c.tail, false, c.numberAnswer);
    ASSERT_TRUE(outcome.settings.has_value());
    EXPECT_EQ(*outcome.settings, c.expected);
    EXPECT_EQ(outcome.numbersAsked, c.numbersAsked);
    EXPECT_EQ(outcome.events, Events{"hourglass"});
    EXPECT_TRUE(outcome.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Tails, StartUpSettings,
    testing::Values(
        TailCase{"NoSwitch", L"", std::nullopt, {}, {L"", 0, L"", L"", kServer}},
        TailCase{"NumericProcessId", L"/AttendiProcesso=1234", 1234.0, {L"1234"}, {L"", 1234, L"", L"", kServer}},
        TailCase{"FractionRoundedToEven", L"/AttendiProcesso=12,5", 12.5, {L"12,5"}, {L"", 12, L"", L"", kServer}},
        TailCase{"NonNumericProcessId", L"/AttendiProcesso=abc", std::nullopt, {L"abc"}, {L"", 0, L"", L"", kServer}},
        TailCase{"QuotedProcessIdAskedWithQuotes", L"/AttendiProcesso=\"1234\"", std::nullopt, {L"\"1234\""},
                 {L"", 0, L"", L"", kServer}},
        TailCase{"EmptyProcessId", L"/AttendiProcesso= /ExeName=x", std::nullopt, {L""}, {L"", 0, L"x", L"", kServer}},
        TailCase{"OutOfRangeProcessId", L"/AttendiProcesso=2147483648", 2147483648.0, {L"2147483648"},
                 {L"", 0, L"", L"", kServer}},
        TailCase{"EverySwitch",
                 L"/ServizioCluster=Res /AttendiProcesso=77 /ExeName=C:\\P\\x.exe /PathAggiornamento=C:\\Upd "
                 L"/MsiUpdateCode={D3E85B17-92AF-4C06-B471-5E2A8C9F1D34}",
                 77.0,
                 {L"77"},
                 {L"Res", 77, L"C:\\P\\x.exe", L"C:\\Upd", std::wstring(kClientUpgradeCode)}},
        TailCase{"OrvhExeAndEmptyUpgradeCode", L"/OrvhExe=C:\\P\\y.exe /MsiUpdateCode=", std::nullopt, {},
                 {L"", 0, L"C:\\P\\y.exe", L"", kServer}}),
    [](const testing::TestParamInfo<TailCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvh
