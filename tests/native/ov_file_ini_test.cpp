// OvFileIni: the buffer rule of every read, the typed readers' fall-back to their
// default, and the texts the writers store, the date text above all.
#include "ini/ov_file_ini.h"

#include "fake_profile.h"
#include "test_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace orvh {
namespace {

using test::Narrow;

const std::wstring kFile = L"C:\\Upd\\Nuovo\\ORVHUpdate.cfg";
const std::wstring kSection = L"Versione";
const std::wstring kKey = L"Setup.msi";

// A text of distinct characters, so that a cut in the wrong place shows.
std::wstring Pattern(std::size_t length) {
    std::wstring text(length, L' ');
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<wchar_t>(L'a' + i % 26);
    return text;
}

class OvFileIniTest : public testing::Test {
protected:
    void Store(const std::wstring& value) { profile.Set(kFile, kSection, kKey, value); }
    // The size the system was given, or -1 when it was not asked.
    long long SizeGiven() const { return profile.reads.empty() ? -1 : static_cast<long long>(profile.reads[0].size); }

    test::FakeProfile profile;
    test::FakeConversions conversions;
    OvFileIni ini{profile, conversions};
};

TEST_F(OvFileIniTest, StringsGoThroughABufferOfLenValueTheSystemIsToldIsOneShorter) {
    const struct {
        std::optional<std::wstring> stored;  // nullopt: the key is missing
        std::int16_t lenValue;
        long long sizeGiven;
        std::wstring expected;
    } rows[] = {
        {Pattern(10), 1, 0, L"default"},
        {Pattern(10), 2, 1, L""},
        {Pattern(10), 3, 2, Pattern(1)},
        {Pattern(253), 255, 254, Pattern(253)},
        {Pattern(300), 255, 254, Pattern(253)},
        {Pattern(300), 32767, 32766, Pattern(300)},
        {Pattern(10), 0, -1, L"default"},
        {Pattern(10), -1, -1, L"default"},
        {Pattern(10), std::numeric_limits<std::int16_t>::min(), -1, L"default"},
        {std::nullopt, 255, 254, L"default"},
        {std::nullopt, 3, 2, L"d"},
        {std::wstring(L"  a\0cd", 6), 255, 254, L"  a"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        profile = {};
        if (rows[i].stored) Store(*rows[i].stored);
        EXPECT_EQ(Narrow(ini.ReadIniString(kFile, kSection, kKey, L"default", rows[i].lenValue)),
                  Narrow(rows[i].expected)) << "row " << i;
        EXPECT_EQ(SizeGiven(), rows[i].sizeGiven) << "row " << i;
    }
}

TEST_F(OvFileIniTest, TypedReadersFallBackToTheirDefault) {
    const std::wstring longZeros(253, L'0');
    const struct {
        std::optional<std::wstring> stored;
        double number;   // ReadIniNumber with default 99, decimal comma
        double date;     // ReadIniDate with default 36526.5
        bool boolean[2]; // ReadIniBoolean with default false, true
    } rows[] = {
        {L"-1", -1, 36526.5, {true, true}},
        {L"0", 0, 36526.5, {false, false}},
        {L"12,5", 12.5, 36526.5, {true, true}},
        {L"12.5", 99, 36526.5, {false, true}},
        {L"True", 99, 36526.5, {false, true}},
        {L"", 99, 36526.5, {false, true}},
        {L"day 42683,5", 99, 42683.5, {false, true}},
        {L"day -1,25", 99, -1.25, {false, true}},
        {L"day 0", 99, 36526.5, {false, true}},
        {longZeros + L"1", 0, 36526.5, {false, false}},
        {std::nullopt, 99, 36526.5, {false, true}},
    };
    conversions.decimal = L',';
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        profile = {};
        if (rows[i].stored) Store(*rows[i].stored);
        EXPECT_EQ(ini.ReadIniNumber(kFile, kSection, kKey, 99), rows[i].number) << "row " << i;
        EXPECT_EQ(ini.ReadIniDate(kFile, kSection, kKey, 36526.5), rows[i].date) << "row " << i;
        EXPECT_EQ(ini.ReadIniBoolean(kFile, kSection, kKey, false), rows[i].boolean[0]) << "row " << i;
        EXPECT_EQ(ini.ReadIniBoolean(kFile, kSection, kKey, true), rows[i].boolean[1]) << "row " << i;
        ASSERT_EQ(profile.reads.size(), 4u);
        const std::wstring defaults[] = {L"99", L"day 36526,5", L"0", L"-1"};
        for (int r = 0; r < 4; ++r) {
            EXPECT_EQ(profile.reads[r].size, 254u) << "row " << i;
            EXPECT_EQ(Narrow(profile.reads[r].defaultText), Narrow(defaults[r])) << "row " << i;
        }
    }
}

TEST_F(OvFileIniTest, WritersStoreTheirText) {
    conversions.decimal = L',';
    ini.WriteIniString(kFile, kSection, kKey, L" value ");
    ini.WriteIniBoolean(kFile, kSection, kKey, true);
    ini.WriteIniBoolean(kFile, kSection, kKey, false);
    ini.WriteIniNumber(kFile, kSection, kKey, -3.25);
    EXPECT_EQ(profile.writes, (std::vector<std::wstring>{L" value ", L"-1", L"0", L"-3,25"}));
    EXPECT_EQ(ini.ReadIniString(kFile, kSection, kKey), L"-3,25");
}

// Automation date of a day number and a time of day.
double At(double day, int hours, int minutes, double seconds) {
    const double time = (hours * 3600 + minutes * 60 + seconds) / 86400.0;
    return day < 0 ? day - time : day + time;
}

TEST_F(OvFileIniTest, DateTextIsDayMonthYearAndDottedTime) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double value;
        std::wstring separator;
        std::string expected;  // "out of range" when refused
    } rows[] = {
        {At(42683, 14, 5, 30), L"/", "09/11/2016 14.05.30"},
        {At(36526, 8, 0, 0), L". ", "01. 01. 2000 08.00.00"},
        {0, L"/", "30/12/1899 00.00.00"},
        {At(-36522, 6, 0, 0), L"/", "01/01/1800 06.00.00"},
        {-1.25, L"/", "29/12/1899 06.00.00"},
        {-0.5, L"/", "30/12/1899 12.00.00"},
        {36585, L"/", "29/02/2000 00.00.00"},
        {61, L"/", "01/03/1900 00.00.00"},
        {At(42683, 23, 59, 59.4), L"/", "09/11/2016 23.59.59"},
        {At(42683, 23, 59, 59.6), L"/", "10/11/2016 00.00.00"},
        {-1.99999999, L"/", "30/12/1899 00.00.00"},
        {-657434, L"/", "01/01/100 00.00.00"},
        {2958465.999999999, L"/", "01/01/10000 00.00.00"},
        {-657435, L"/", "out of range"},
        {2958466, L"/", "out of range"},
        {nan, L"/", "out of range"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        profile = {};
        conversions.dateSeparator = rows[i].separator;
        try {
            ini.WriteIniDate(kFile, kSection, kKey, rows[i].value);
            ASSERT_EQ(profile.writes.size(), 1u) << "row " << i;
            EXPECT_EQ(Narrow(profile.writes[0]), rows[i].expected) << "row " << i;
        } catch (const std::out_of_range&) {
            EXPECT_EQ("out of range", rows[i].expected) << "row " << i;
            EXPECT_TRUE(profile.writes.empty()) << "row " << i;
        }
    }
}

} // namespace
} // namespace orvh
