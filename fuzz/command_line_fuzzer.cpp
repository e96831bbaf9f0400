// The command line as the product and the users write it, and as anything else may: the
// input is the whole command line, program name included, as text. Checks the tail, the
// help request, the value rule of every switch, the start-up's settings and the process
// id's conversion under any rounding mode of the thread.
#include "fuzz_support.h"
#include "main/command_line.h"
#include "main/startup.h"
#include "resources/string_table.h"
#include "system/locale_conversions.h"
#include "system/single_instance.h"
#include "ui/dialogs.h"
#include "ui/mouse_pointer.h"

#include <cfenv>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <vector>

namespace orvh::fuzz {
namespace {

constexpr std::wstring_view kUsage = L"/? {Questo messaggio} /n/n/PathAggiornamento={Percorso dei file di aggiornamento}";

struct SwitchRule {
    std::wstring_view name;
    bool quotedValues;
};
constexpr SwitchRule kSwitches[] = {{L"/ServizioCluster=", true},   {L"/AttendiProcesso=", false},
                                    {L"/ExeName=", true},           {L"/OrvhExe=", true},
                                    {L"/PathAggiornamento=", true}, {L"/MsiUpdateCode=", true}};

// The system's upper-casing, one code unit for one: besides ASCII and Latin-1 it maps
// some non-ASCII letters onto ASCII ones (dotless i, long s), so a switch name can be
// found where the tail itself spells it with other letters.
wchar_t PlatformUpper(wchar_t c) {
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<wchar_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c == 0x131) return L'I';
    if (c == 0x17F) return L'S';
    return c;
}

std::wstring PlatformUpper(std::wstring_view text) {
    std::wstring upper(text);
    for (auto& c : upper) c = PlatformUpper(c);
    return upper;
}

bool IsBlankOrTab(wchar_t c) { return c == L' ' || c == L'\t'; }

class Texts final : public StringTable {
public:
    std::wstring LoadDllString(std::int32_t index) const override {
        if (index == 200) return std::wstring(kUsage);
        return MissingResourceText(index);
    }
};

class Boxes final : public Dialogs {
public:
    void ShowMessage(std::wstring_view text, std::wstring_view, MessageIcon icon) override {
        shown.emplace_back(text);
        icons.push_back(icon);
    }
    std::vector<std::wstring> shown;
    std::vector<MessageIcon> icons;
};

class Instances final : public InstanceGuard {
public:
    explicit Instances(bool another) : another_(another) {}
    bool AnotherInstanceRunning() const override { return another_; }

private:
    bool another_;
};

class Pointer final : public MousePointer {
public:
    void SetHourglass(bool) override {}
};

// A locale-aware numeric test in the manner of the platform: blanks around, either
// separator for the decimals, exponents, and nothing else after the number.
class Numbers final : public LocaleConversions {
public:
    std::optional<double> ParseNumber(std::wstring_view text) const override {
        std::wstring c(text);
        for (auto& ch : c) {
            if (ch == L',') ch = L'.';
        }
        while (!c.empty() && IsBlankOrTab(c.back())) c.pop_back();
        if (c.empty() || c.find(L'\0') != std::wstring::npos) return std::nullopt;
        wchar_t* end = nullptr;
        const double value = std::wcstod(c.c_str(), &end);
        if (end == c.c_str() || *end != L'\0') return std::nullopt;
        return value;
    }
    std::wstring NumberToText(double) const override { return L""; }
    std::optional<double> ParseDate(std::wstring_view) const override { return std::nullopt; }
    std::wstring DateToText(double) const override { return L""; }
    std::wstring DateSeparator() const override { return L"/"; }
};

void CheckTail(std::wstring_view line, std::wstring_view tail) {
    ORVH_FUZZ_CHECK(tail.size() <= line.size());
    ORVH_FUZZ_CHECK(line.substr(line.size() - tail.size()) == tail);
    ORVH_FUZZ_CHECK(tail.empty() || !IsBlankOrTab(tail.front()));
}

void CheckHelpText(std::wstring_view tail) {
    const std::wstring help = HelpText(tail);
    // "/n" and the line break it becomes have the same length; nothing else changes.
    ORVH_FUZZ_CHECK(help.size() == tail.size());
    ORVH_FUZZ_CHECK(help.find(L"/n") == std::wstring::npos);
    for (std::size_t i = 0; i < tail.size(); ++i) {
        if (help[i] == tail[i]) continue;
        ORVH_FUZZ_CHECK(i + 1 < tail.size() && tail.substr(i, 2) == L"/n" && help.substr(i, 2) == L"\r\n");
        ++i;
    }
}

void CheckSwitch(std::wstring_view tail, std::wstring_view upper, const SwitchRule& rule) {
    const auto value = SwitchValue(tail, upper, rule.name, rule.quotedValues);
    const auto at = upper.find(PlatformUpper(rule.name));
    ORVH_FUZZ_CHECK(value.has_value() == (at != std::wstring_view::npos));
    if (!value) return;
    const auto rest = tail.substr(at + rule.name.size());
    if (rule.quotedValues && rest.find(L'"') != std::wstring_view::npos) {
        // The text between the first double quote of the rest and the next one, or the end.
        ORVH_FUZZ_CHECK(value->find(L'"') == std::wstring::npos);
        const auto open = rest.find(L'"');
        ORVH_FUZZ_CHECK(rest.substr(open + 1, value->size()) == *value);
        ORVH_FUZZ_CHECK(open + 1 + value->size() == rest.size() || rest[open + 1 + value->size()] == L'"');
    } else {
        // The rest up to its first blank; a tab is an ordinary character.
        ORVH_FUZZ_CHECK(rest.substr(0, value->size()) == *value);
        ORVH_FUZZ_CHECK(value->find(L' ') == std::wstring::npos);
        ORVH_FUZZ_CHECK(value->size() == rest.size() || rest[value->size()] == L' ');
    }
}

// Rounded to the nearest integer, a half to the even one; 0 beyond the 32-bit range or
// for no finite number.
void CheckRoundedId(std::optional<double> number, std::int32_t id) {
    if (!number || !std::isfinite(*number) || *number < -2147483648.5 || *number >= 2147483647.5) {
        ORVH_FUZZ_CHECK(id == 0);
        return;
    }
    const double distance = std::fabs(static_cast<double>(id) - *number);
    ORVH_FUZZ_CHECK(distance <= 0.5);
    if (distance == 0.5) ORVH_FUZZ_CHECK(id % 2 == 0);
}

// Whatever rounding mode the thread had, the conversion rounds the same and leaves the
// mode as it found it.
void CheckProcessId(std::optional<double> number, int roundingMode) {
    std::fesetround(roundingMode);
    const std::int32_t id = ProcessIdFromNumber(number);
    ORVH_FUZZ_CHECK(std::fegetround() == roundingMode);
    std::fesetround(FE_TONEAREST);
    CheckRoundedId(number, id);
}

void CheckStartUp(std::wstring_view tail, std::wstring_view upper) {
    const Texts texts;
    const Instances none(false);
    const Numbers numbers;
    Boxes boxes;
    Pointer pointer;
    const auto settings = StartUp(tail, upper, {texts, boxes, none, pointer, numbers});
    const bool help = tail.find(L'?') != std::wstring_view::npos;
    ORVH_FUZZ_CHECK(settings.has_value() == !help);
    if (help) {
        ORVH_FUZZ_CHECK(boxes.shown.size() == 1 && boxes.shown[0] == HelpText(kUsage));
        ORVH_FUZZ_CHECK(boxes.icons[0] == MessageIcon::Information);
        return;
    }
    ORVH_FUZZ_CHECK(boxes.shown.empty());
    const CommandSwitches switches = ReadSwitches(tail, upper);
    ORVH_FUZZ_CHECK(!switches.upgradeCode.empty());
    ORVH_FUZZ_CHECK(settings->upgradeCode == switches.upgradeCode);
    ORVH_FUZZ_CHECK(settings->updateFolderValue == switches.updateFolderValue);
    ORVH_FUZZ_CHECK(settings->productExecutable == switches.productExecutable);
    ORVH_FUZZ_CHECK(settings->clusterResource == switches.clusterResource);
    if (switches.processIdText) {
        CheckRoundedId(numbers.ParseNumber(*switches.processIdText), settings->processId);
    } else {
        ORVH_FUZZ_CHECK(settings->processId == 0);
    }

    // A second instance ends the start-up before anything is read.
    const Instances another(true);
    Boxes refused;
    ORVH_FUZZ_CHECK(!StartUp(tail, upper, {texts, refused, another, pointer, numbers}));
    ORVH_FUZZ_CHECK(refused.shown.size() == 1 && refused.icons[0] == MessageIcon::CriticalStop);
}

} // namespace
} // namespace orvh::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvh;
    using namespace orvh::fuzz;
    const std::wstring line = WideFromBytes({reinterpret_cast<const char*>(data), size});
    const std::wstring_view tail = CommandTail(line);
    CheckTail(line, tail);
    CheckHelpText(tail);
    const std::wstring upper = PlatformUpper(tail);
    for (const auto& rule : kSwitches) CheckSwitch(tail, upper, rule);
    CheckStartUp(tail, upper);

    // The input's first bytes also as a raw number, under a rounding mode it chooses.
    constexpr int kModes[] = {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO};
    const int mode = kModes[size % 4];
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        CheckProcessId(raw, mode);
    }
    CheckProcessId(Numbers().ParseNumber(tail), mode);
    return 0;
}
