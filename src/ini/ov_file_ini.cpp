#include "ini/ov_file_ini.h"

#include "ini/profile_functions.h"
#include "system/locale_conversions.h"

#include <cmath>
#include <optional>
#include <stdexcept>

namespace orvh {
namespace {

constexpr std::int16_t kTypedBufferSize = 255;
constexpr double kEmptyDate = 0.0;

// Automation dates run from 1 January 100 to 31 December 9999; anything outside has no
// calendar form.
constexpr double kFirstDay = -657434.0;
constexpr double kLastDay = 2958465.0;

// Days since 1 January 1970 to a civil date (proleptic Gregorian).
void CivilFromDays(long long days, long long& year, unsigned& month, unsigned& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<long long>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

std::wstring TwoDigits(long long n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); }

// "dd/mm/yyyy hh.nn.ss" of an automation date, "/" being the regional date separator and
// "yyyy" the year with as many digits as it has (100 to 10000).
// The whole part counts days towards zero and the fraction's magnitude is the time of day,
// before the zero day as after it. Seconds are rounded; a time that rounds up to midnight
// moves to the next calendar day.
std::wstring FormatIniDate(double value, const std::wstring& separator) {
    if (!(value > kFirstDay - 1.0 && value < kLastDay + 1.0)) {
        throw std::out_of_range("WriteIniDate: the value is no date");
    }
    double whole = std::trunc(value);
    long long seconds = std::llround(std::fabs(value - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        whole += 1;
    }
    constexpr long long kZeroDayFrom1970 = -25569;  // 30 December 1899
    long long year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(static_cast<long long>(whole) + kZeroDayFrom1970, year, month, day);
    // Built by concatenation: the separator is the system's text, of any length.
    return TwoDigits(day) + separator + TwoDigits(month) + separator + std::to_wstring(year) + L" " +
           TwoDigits(seconds / 3600) + L"." + TwoDigits(seconds / 60 % 60) + L"." + TwoDigits(seconds % 60);
}

// The common read: a buffer of n blanks, the system told it holds n - 1 characters; the
// value is what precedes the first NUL, and with no NUL in the buffer there is no value.
// A buffer below one character would give the system a negative size: no value either.
std::optional<std::wstring> ReadValue(const ProfileFunctions& profile, const std::wstring& file,
                                      const std::wstring& section, const std::wstring& key,
                                      const std::wstring& defaultText, std::int16_t n) {
    if (n < 1) return std::nullopt;
    std::wstring buffer(static_cast<std::size_t>(n), L' ');
    profile.GetString(section, key, defaultText, buffer, static_cast<std::size_t>(n - 1), file);
    const auto nul = buffer.find(L'\0');
    if (nul == std::wstring::npos) return std::nullopt;
    return buffer.substr(0, nul);
}

} // namespace

std::wstring OvFileIni::ReadIniString(const std::wstring& FileIni, const std::wstring& Section,
                                      const std::wstring& Key, const std::wstring& DefValue,
                                      std::int16_t LenValue) const {
    return ReadValue(profile_, FileIni, Section, Key, DefValue, LenValue).value_or(DefValue);
}

double OvFileIni::ReadIniNumber(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                                double DefValue) const {
    const auto text = ReadValue(profile_, FileIni, Section, Key, conversions_.NumberToText(DefValue), kTypedBufferSize);
    if (!text) return DefValue;
    return conversions_.ParseNumber(*text).value_or(DefValue);
}

double OvFileIni::ReadIniDate(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                              double DefValue) const {
    const auto text = ReadValue(profile_, FileIni, Section, Key, conversions_.DateToText(DefValue), kTypedBufferSize);
    if (!text || IsEmptyDate(*text)) return DefValue;
    return conversions_.ParseDate(*text).value_or(DefValue);
}

bool OvFileIni::ReadIniBoolean(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                               bool DefValue) const {
    const auto text = ReadValue(profile_, FileIni, Section, Key, DefValue ? L"-1" : L"0", kTypedBufferSize);
    if (!text) return DefValue;
    const auto number = conversions_.ParseNumber(*text);
    return number ? *number != 0.0 : DefValue;
}

void OvFileIni::WriteIniString(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                               const std::wstring& Value) {
    profile_.WriteString(Section, Key, Value, FileIni);
}

void OvFileIni::WriteIniBoolean(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                                bool Value) {
    profile_.WriteString(Section, Key, Value ? L"-1" : L"0", FileIni);
}

void OvFileIni::WriteIniNumber(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                               double Value) {
    profile_.WriteString(Section, Key, conversions_.NumberToText(Value), FileIni);
}

void OvFileIni::WriteIniDate(const std::wstring& FileIni, const std::wstring& Section, const std::wstring& Key,
                             double Value) {
    profile_.WriteString(Section, Key, FormatIniDate(Value, conversions_.DateSeparator()), FileIni);
}

// A text that is no date counts as empty, as does one that denotes the empty date itself.
bool OvFileIni::IsEmptyDate(std::wstring_view Value) const {
    const auto date = conversions_.ParseDate(Value);
    return !date || *date == kEmptyDate;
}

} // namespace orvh
