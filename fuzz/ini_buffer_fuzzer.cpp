// The INI buffer rule against profile functions that answer with anything their contract
// allows: a stored value as the system copies it (cut, with NULs inside), or any
// characters up to the size they were given, with or without a NUL. The input chooses
// the buffer length, the default, the answer and what the locale makes of the text.
// Checks the size handed to the system, the value taken from the buffer, the typed
// readers' fall-back to their default, and the date text written for any number.
#include "fuzz_support.h"
#include "ini/ov_file_ini.h"
#include "ini/profile_functions.h"
#include "system/locale_conversions.h"

#include <cmath>
#include <cwchar>
#include <map>
#include <stdexcept>
#include <vector>

namespace orvh::fuzz {
namespace {

const std::wstring kFile = L"U:\\Nuovo\\ORVHUpdate.cfg";

// One answer of the profile functions, decided by the input.
class AnyProfile final : public ProfileFunctions {
public:
    explicit AnyProfile(FuzzedDataProvider& data) : data_(data) {}

    void GetString(const std::wstring&, const std::wstring&, const std::wstring& defaultText, std::wstring& buffer,
                   std::size_t size, const std::wstring& file) const override {
        ORVH_FUZZ_CHECK(file == kFile);
        ORVH_FUZZ_CHECK(size <= buffer.size());
        ORVH_FUZZ_CHECK(buffer == std::wstring(buffer.size(), L' '));
        ++calls;
        givenSize = size;
        givenDefault = defaultText;
        if (data_.ConsumeBool()) {
            // The system: the stored value or the default, at most size - 1 characters
            // and a NUL; nothing at all for size 0.
            const std::wstring value = data_.ConsumeBool() ? ConsumeText(data_, 600) : defaultText;
            if (size > 0) {
                const std::size_t n = std::min(value.size(), size - 1);
                std::copy_n(value.begin(), n, buffer.begin());
                buffer[n] = L'\0';
            }
        } else {
            // Any characters within the size given.
            const std::wstring any = ConsumeText(data_, 600);
            std::copy_n(any.begin(), std::min(any.size(), size), buffer.begin());
        }
        returned = buffer;
    }
    void WriteString(const std::wstring&, const std::wstring&, const std::wstring& value,
                     const std::wstring& file) override {
        ORVH_FUZZ_CHECK(file == kFile);
        written.push_back(value);
    }

    mutable int calls = 0;
    mutable std::size_t givenSize = 0;
    mutable std::wstring givenDefault;
    mutable std::wstring returned;
    std::vector<std::wstring> written;

private:
    FuzzedDataProvider& data_;
};

// A locale that reads whatever the input says, the same way for the same text, and
// remembers what it was asked.
class AnyLocale final : public LocaleConversions {
public:
    explicit AnyLocale(FuzzedDataProvider& data) : data_(data) {}
    std::optional<double> ParseNumber(std::wstring_view text) const override { return Answer(numbers_, text); }
    std::wstring NumberToText(double value) const override { return L"n" + std::to_wstring(value); }
    std::optional<double> ParseDate(std::wstring_view text) const override { return Answer(dates_, text); }
    std::wstring DateToText(double value) const override { return L"d" + std::to_wstring(value); }
    std::wstring DateSeparator() const override { return separator; }

    std::wstring separator = L"/";
    mutable std::vector<std::wstring> asked;

private:
    using Answers = std::map<std::wstring, std::optional<double>, std::less<>>;
    std::optional<double> Answer(Answers& answers, std::wstring_view text) const {
        asked.emplace_back(text);
        if (const auto it = answers.find(text); it != answers.end()) return it->second;
        std::optional<double> answer;
        switch (data_.ConsumeIntegralInRange(0, 3)) {
        case 0: break;
        case 1: answer = 0.0; break;
        default: answer = data_.ConsumeFloatingPoint<double>(); break;
        }
        answers.emplace(text, answer);
        return answer;
    }
    FuzzedDataProvider& data_;
    mutable Answers numbers_, dates_;
};

// The value the buffer holds: what precedes its first NUL, or nothing without one.
std::optional<std::wstring> ValueIn(const std::wstring& buffer) {
    const auto nul = buffer.find(L'\0');
    if (nul == std::wstring::npos) return std::nullopt;
    return buffer.substr(0, nul);
}

void CheckString(FuzzedDataProvider& data, AnyProfile& profile, const OvFileIni& ini) {
    const auto len = data.ConsumeIntegral<std::int16_t>();
    const std::wstring def = ConsumeText(data, 40);
    const std::wstring result = ini.ReadIniString(kFile, L"Versione", L"Orvane Hub.msi", def, len);
    if (len < 1) {
        // A buffer below one character is refused: the default, the system not asked.
        ORVH_FUZZ_CHECK(result == def && profile.calls == 0);
        return;
    }
    ORVH_FUZZ_CHECK(profile.calls == 1);
    ORVH_FUZZ_CHECK(profile.givenSize == static_cast<std::size_t>(len - 1));
    ORVH_FUZZ_CHECK(profile.returned.size() == static_cast<std::size_t>(len));
    ORVH_FUZZ_CHECK(profile.givenDefault == def);
    ORVH_FUZZ_CHECK(result == ValueIn(profile.returned).value_or(def));
    // Cut to len - 2 characters: the last character of the buffer is never the system's.
    if (result != def) ORVH_FUZZ_CHECK(len >= 2 && result.size() <= static_cast<std::size_t>(len - 2));
}

void CheckTyped(FuzzedDataProvider& data, AnyProfile& profile, AnyLocale& locale, const OvFileIni& ini) {
    const double def = data.ConsumeFloatingPoint<double>();
    const bool defBool = data.ConsumeBool();
    switch (data.ConsumeIntegralInRange(0, 2)) {
    case 0: {
        const double result = ini.ReadIniNumber(kFile, L"Versione", L"k", def);
        ORVH_FUZZ_CHECK(profile.givenSize == 254 && profile.givenDefault == locale.NumberToText(def));
        const auto text = ValueIn(profile.returned);
        const auto number = text ? locale.ParseNumber(*text) : std::nullopt;
        const double expected = number.value_or(def);
        ORVH_FUZZ_CHECK(result == expected || (std::isnan(result) && std::isnan(expected)));
        break;
    }
    case 1: {
        const bool result = ini.ReadIniBoolean(kFile, L"Versione", L"k", defBool);
        ORVH_FUZZ_CHECK(profile.givenSize == 254 && profile.givenDefault == (defBool ? L"-1" : L"0"));
        const auto text = ValueIn(profile.returned);
        const auto number = text ? locale.ParseNumber(*text) : std::nullopt;
        ORVH_FUZZ_CHECK(result == (number ? *number != 0.0 : defBool));
        break;
    }
    default: {
        const double result = ini.ReadIniDate(kFile, L"Versione", L"k", def);
        ORVH_FUZZ_CHECK(profile.givenSize == 254 && profile.givenDefault == locale.DateToText(def));
        const auto text = ValueIn(profile.returned);
        const auto date = text ? locale.ParseDate(*text) : std::nullopt;
        // No date, or the empty date, gives the default.
        const double expected = date && *date != 0.0 ? *date : def;
        ORVH_FUZZ_CHECK(result == expected || (std::isnan(result) && std::isnan(expected)));
        break;
    }
    }
    ORVH_FUZZ_CHECK(profile.calls == 1);
}

// Days since 1 January 1970 of a civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

// A number for a date: mostly within the calendar's range or at its edges, sometimes
// anything a double can hold.
double DateNumber(FuzzedDataProvider& data) {
    constexpr double kSpecial[] = {-657435.0, -657434.99999999, -657434.0, -1.0, -0.5, -0.0, 0.0, 0.99999999,
                                   2958465.99999999, 2958466.0, NAN, INFINITY, -INFINITY};
    switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0: return data.PickValueInArray(kSpecial);
    case 1: return data.ConsumeFloatingPoint<double>();
    default: return data.ConsumeFloatingPointInRange(-657436.0, 2958467.0);
    }
}

// "dd/mm/yyyy hh.nn.ss" with the locale's separator, naming the moment the number
// denotes: the whole part counts days, the fraction's magnitude is the time of day.
void CheckWrittenDate(FuzzedDataProvider& data, AnyProfile& profile, AnyLocale& locale, OvFileIni& ini) {
    // The system's separator, which holds no NUL.
    locale.separator = ConsumeText(data, 32);
    std::erase(locale.separator, L'\0');
    const double value = DateNumber(data);
    const bool inRange = value > -657435.0 && value < 2958466.0;
    try {
        ini.WriteIniDate(kFile, L"Versione", L"k", value);
    } catch (const std::out_of_range&) {
        ORVH_FUZZ_CHECK(!inRange && profile.written.empty());
        return;
    }
    ORVH_FUZZ_CHECK(inRange && profile.written.size() == 1);
    const std::wstring& text = profile.written[0];
    const std::wstring& sep = locale.separator;
    ORVH_FUZZ_CHECK(text.size() >= 2 + sep.size() + 2 + sep.size() + 3 + 9);
    const auto number = [&](std::size_t at, std::size_t digits) {
        long long n = 0;
        for (std::size_t i = at; i < at + digits; ++i) {
            ORVH_FUZZ_CHECK(i < text.size() && text[i] >= L'0' && text[i] <= L'9');
            n = n * 10 + (text[i] - L'0');
        }
        return n;
    };
    const auto day = number(0, 2);
    ORVH_FUZZ_CHECK(text.compare(2, sep.size(), sep) == 0);
    const auto month = number(2 + sep.size(), 2);
    ORVH_FUZZ_CHECK(text.compare(4 + sep.size(), sep.size(), sep) == 0);
    const std::size_t yearAt = 4 + 2 * sep.size();
    const std::size_t timeAt = text.size() - 9;
    ORVH_FUZZ_CHECK(timeAt > yearAt + 2 && text[timeAt] == L' ' && text[timeAt + 3] == L'.' && text[timeAt + 6] == L'.');
    const auto year = number(yearAt, timeAt - yearAt);
    const auto hours = number(timeAt + 1, 2), minutes = number(timeAt + 4, 2), seconds = number(timeAt + 7, 2);
    ORVH_FUZZ_CHECK(year >= 100 && year <= 10000 && month >= 1 && month <= 12 && day >= 1 && day <= 31);
    ORVH_FUZZ_CHECK(hours < 24 && minutes < 60 && seconds < 60);
    const long long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const double shown = static_cast<double>(days + 25569) * 86400.0 + static_cast<double>(hours * 3600 + minutes * 60 + seconds);
    const double whole = std::trunc(value);
    const double moment = (whole + std::fabs(value - whole)) * 86400.0;
    ORVH_FUZZ_CHECK(std::fabs(shown - moment) <= 0.5 + 1e-3);
}

} // namespace
} // namespace orvh::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace orvh;
    using namespace orvh::fuzz;
    FuzzedDataProvider data(bytes, size);
    AnyProfile profile(data);
    AnyLocale locale(data);
    OvFileIni ini(profile, locale);
    switch (data.ConsumeIntegralInRange(0, 2)) {
    case 0: CheckString(data, profile, ini); break;
    case 1: CheckTyped(data, profile, locale, ini); break;
    default: CheckWrittenDate(data, profile, locale, ini); break;
    }
    return 0;
}
