// OvFileIni: every read's buffer rule, the typed readers' fall-back, the date text written.
#include "rows.h"
#include "ini/ov_file_ini.h"

#include "fakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace orvh {
namespace {

const std::wstring kFile = L"C:\\Nuovo\\ORVHUpdate.cfg", kSection = L"Versione", kKey = L"Setup.msi";

// A text of distinct characters, so that a cut in the wrong place shows.
std::wstring Pattern(std::size_t length) {
    std::wstring text(length, L' ');
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<wchar_t>(L'a' + i % 26);
    return text;
}

struct Ini {
    explicit Ini(std::optional<std::wstring> stored) {
        if (stored) profile.Set(kFile, kSection, kKey, *stored);
        conversions.decimal = L',';
    }
    test::FakeProfile profile;
    test::FakeConversions conversions;
    OvFileIni ini{profile, conversions};
};

TEST(OvFileIni, StringsGoThroughABufferOfLenValueTheSystemIsToldIsOneShorter) {
    // Stored value (nullopt: the key is missing), LenValue; what the system was asked, the result.
    const std::tuple<std::optional<std::wstring>, std::int16_t, std::vector<std::wstring>, std::wstring> rows[] = {
        {Pattern(10), 1, {L"0 default"}, L"default"},
        {Pattern(10), 2, {L"1 default"}, L""},
        {Pattern(253), 255, {L"254 default"}, Pattern(253)},
        {Pattern(300), 255, {L"254 default"}, Pattern(253)},
        {Pattern(300), 32767, {L"32766 default"}, Pattern(300)},
        {Pattern(10), 0, {}, L"default"},
        {std::nullopt, 3, {L"2 default"}, L"d"},
        {std::wstring(L"  a\0cd", 6), 255, {L"254 default"}, L"  a"},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [stored, lenValue, asked, expected] = row;
        Ini t(stored);
        EXPECT_EQ(t.ini.ReadIniString(kFile, kSection, kKey, L"default", lenValue), expected);
        EXPECT_EQ(t.profile.reads, asked);
    });
}

TEST(OvFileIni, TypedReadersFallBackToTheirDefault) {
    // Stored value; ReadIniNumber (default 99), ReadIniDate (36526.5), ReadIniBoolean (false, true).
    const std::tuple<std::optional<std::wstring>, double, double, bool, bool> rows[] = {
        {L"-1", -1, 36526.5, true, true},
        {L"0", 0, 36526.5, false, false},
        {L"12,5", 12.5, 36526.5, true, true},
        {L"12.5", 99, 36526.5, false, true},
        {L"day 42683,5", 99, 42683.5, false, true},
        {L"day 0", 99, 36526.5, false, true},
        {std::wstring(253, L'0') + L"1", 0, 36526.5, false, false},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [stored, number, date, withFalse, withTrue] = row;
        Ini t(stored);
        EXPECT_EQ(t.ini.ReadIniNumber(kFile, kSection, kKey, 99), number);
        EXPECT_EQ(t.ini.ReadIniDate(kFile, kSection, kKey, 36526.5), date);
        EXPECT_EQ(t.ini.ReadIniBoolean(kFile, kSection, kKey, false), withFalse);
        EXPECT_EQ(t.ini.ReadIniBoolean(kFile, kSection, kKey, true), withTrue);
        EXPECT_EQ(t.profile.reads, (std::vector<std::wstring>{L"254 99", L"254 day 36526,5", L"254 0", L"254 -1"}));
    });
}

TEST(OvFileIni, DateTextIsDayMonthYearAndDottedTime) {
    const double second = 1.0 / 86400;
    // Automation date, date separator; the text, or "-" when the date is refused.
    const std::tuple<double, std::wstring, std::wstring> rows[] = {
        {42683 + (14 * 3600 + 5 * 60 + 30) * second, L"/", L"09/11/2016 14.05.30"},
        {36526 + 8 * 3600 * second, L". ", L"01. 01. 2000 08.00.00"},
        {0, L"/", L"30/12/1899 00.00.00"},
        {-1.25, L"/", L"29/12/1899 06.00.00"},
        {36585, L"/", L"29/02/2000 00.00.00"},
        {61, L"/", L"01/03/1900 00.00.00"},
        {42684 - 0.6 * second, L"/", L"09/11/2016 23.59.59"},
        {42684 - 0.4 * second, L"/", L"10/11/2016 00.00.00"},
        {-1.99999999, L"/", L"30/12/1899 00.00.00"},
        {-657434, L"/", L"01/01/100 00.00.00"},
        {2958465.999999999, L"/", L"01/01/10000 00.00.00"},
        {-657435, L"/", L"-"},
        {2958466, L"/", L"-"},
        {std::nan(""), L"/", L"-"},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [value, separator, expected] = row;
        Ini t(std::nullopt);
        t.conversions.dateSeparator = separator;
        try {
            t.ini.WriteIniDate(kFile, kSection, kKey, value);
        } catch (const std::out_of_range&) {
            t.profile.writes.push_back(L"-");
        }
        EXPECT_EQ(t.profile.writes, std::vector<std::wstring>{expected});
    });
}

} // namespace
} // namespace orvh
