#include "ini/ov_file_ini.h"

#include "ini/profile_functions.h"
#include "system/locale_conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <limits>
#include <map>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace orvh {
namespace {

const std::wstring kFile = L"C:\\Upd\\Nuovo\\ORVHUpdate.cfg";
const std::wstring kSection = L"Versione";
const std::wstring kKey = L"Setup.msi";

struct ReadCall {
    std::wstring section, key, defaultText, file;
    std::size_t size = 0;
};

struct WriteCall {
    std::wstring section, key, value, file;
};

// An in-memory INI behind the profile functions, with the system's buffer behaviour: at
// most size - 1 characters and a NUL are written, the default is copied when the key is
// missing, nothing at all is written for size 0. Every call is recorded.
class MemoryProfile final : public ProfileFunctions {
public:
    void Store(const std::wstring& value) { values_[{kFile, kSection, kKey}] = value; }

    void GetString(const std::wstring& section, const std::wstring& key, const std::wstring& defaultText,
                   std::wstring& buffer, std::size_t size, const std::wstring& file) const override {
        reads.push_back({section, key, defaultText, file, size});
        size = std::min(size, buffer.size());
        if (size == 0) return;
        const auto it = values_.find({file, section, key});
        const std::wstring& value = it == values_.end() ? defaultText : it->second;
        const std::size_t n = std::min(value.size(), size - 1);
        std::copy_n(value.begin(), n, buffer.begin());
        buffer[n] = L'\0';
    }

    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                     const std::wstring& file) override {
        writes.push_back({section, key, value, file});
        values_[{file, section, key}] = value;
    }

    mutable std::vector<ReadCall> reads;
    std::vector<WriteCall> writes;

private:
    std::map<std::tuple<std::wstring, std::wstring, std::wstring>, std::wstring> values_;
};

// Deterministic conversions: numbers in C form with a chosen decimal separator, dates as
// "day <number>", the date separator as chosen.
class SimpleConversions final : public LocaleConversions {
public:
    std::optional<double> ParseNumber(std::wstring_view text) const override {
        if (text.empty() || std::iswspace(text[0]) || (decimal != L'.' && text.find(L'.') != text.npos)) {
            return std::nullopt;
        }
        std::wstring c(text);
        std::replace(c.begin(), c.end(), decimal, L'.');
        wchar_t* end = nullptr;
        const double value = std::wcstod(c.c_str(), &end);
        if (end != c.c_str() + c.size()) return std::nullopt;
        return value;
    }
    std::wstring NumberToText(double value) const override {
        wchar_t text[64];
        std::swprintf(text, 64, L"%.15g", value);
        std::wstring result(text);
        std::replace(result.begin(), result.end(), L'.', decimal);
        return result;
    }
    std::optional<double> ParseDate(std::wstring_view text) const override {
        if (!text.starts_with(L"day ")) return std::nullopt;
        return ParseNumber(text.substr(4));
    }
    std::wstring DateToText(double value) const override { return L"day " + NumberToText(value); }
    std::wstring DateSeparator() const override { return dateSeparator; }

    wchar_t decimal = L'.';
    std::wstring dateSeparator = L"/";
};

class OvFileIniTest : public testing::Test {
protected:
    MemoryProfile profile;
    SimpleConversions conversions;
    OvFileIni ini{profile, conversions};
};

// ---- The common read procedure ----

struct BufferCase {
    const char* name;
    std::int16_t lenValue;
    std::size_t storedLength;
    std::size_t sizeGiven;
    std::optional<std::size_t> resultLength;  // nullopt: DefValue
};

void PrintTo(const BufferCase& c, std::ostream* os) { *os << c.name; }

class OvFileIniBufferRule : public OvFileIniTest, public testing::WithParamInterface<BufferCase> {};

// A stored text of distinct characters, so that a cut in the wrong place shows.
std::wstring Pattern(std::size_t length) {
    std::wstring text(length, L' ');
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<wchar_t>(L'a' + i % 26);
    return text;
}

TEST_P(OvFileIniBufferRule, SystemGetsOneLessAndTheValueEndsAtTheFirstNul) {
    const auto& c = GetParam();
    profile.Store(Pattern(c.storedLength));
    const auto result = ini.ReadIniString(kFile, kSection, kKey, L"default", c.lenValue);
    ASSERT_EQ(profile.reads.size(), 1u);
    EXPECT_EQ(profile.reads[0].size, c.sizeGiven);
    EXPECT_EQ(result, c.resultLength ? Pattern(*c.resultLength) : L"default");
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, OvFileIniBufferRule,
    testing::Values(BufferCase{"Len1GivesSize0NoNulDefault", 1, 10, 0, std::nullopt},
                    BufferCase{"Len2HoldsOnlyTheNul", 2, 10, 1, 0},
                    BufferCase{"Len3OneCharacter", 3, 10, 2, 1},
                    BufferCase{"Len255Value252Whole", 255, 252, 254, 252},
                    BufferCase{"Len255Value253Whole", 255, 253, 254, 253},
                    BufferCase{"Len255Value254Cut", 255, 254, 254, 253},
                    BufferCase{"Len255Value300Cut", 255, 300, 254, 253},
                    BufferCase{"Len255EmptyValue", 255, 0, 254, 0},
                    BufferCase{"Len32767Value300Whole", 32767, 300, 32766, 300}));

class OvFileIniRefusedLength : public OvFileIniTest, public testing::WithParamInterface<std::int16_t> {};

TEST_P(OvFileIniRefusedLength, YieldsDefValueWithoutCallingTheSystem) {
    profile.Store(L"stored");
    EXPECT_EQ(ini.ReadIniString(kFile, kSection, kKey, L"x", GetParam()), L"x");
    EXPECT_TRUE(profile.reads.empty());
}

INSTANTIATE_TEST_SUITE_P(BelowOne, OvFileIniRefusedLength,
                         testing::Values(std::int16_t{0}, std::int16_t{-1},
                                         std::numeric_limits<std::int16_t>::min()));

TEST_F(OvFileIniTest, ReadPassesSectionKeyDefaultSizeAndFile) {
    ini.ReadIniString(kFile, kSection, kKey, L"d", 255);
    ASSERT_EQ(profile.reads.size(), 1u);
    const auto& call = profile.reads[0];
    EXPECT_EQ(std::tie(call.section, call.key, call.defaultText, call.file),
              std::tie(kSection, kKey, L"d", kFile));
}

TEST_F(OvFileIniTest, DefaultsAreEmptyTextAndBuffer255) {
    profile.Store(Pattern(300));
    EXPECT_EQ(ini.ReadIniString(kFile, kSection, kKey), Pattern(253));
    ASSERT_EQ(profile.reads.size(), 1u);
    EXPECT_EQ(profile.reads[0].defaultText, L"");
}

struct MissingCase {
    const char* name;
    std::wstring defValue;
    std::int16_t lenValue;
    std::wstring expected;
};

void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.name; }

class OvFileIniMissingKey : public OvFileIniTest, public testing::WithParamInterface<MissingCase> {};

TEST_P(OvFileIniMissingKey, SystemCopiesTheDefault) {
    const auto& c = GetParam();
    EXPECT_EQ(ini.ReadIniString(kFile, kSection, L"Absent.msi", c.defValue, c.lenValue), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Defaults, OvFileIniMissingKey,
    testing::Values(MissingCase{"EmptyDefault", L"", 255, L""}, MissingCase{"DefaultX", L"x", 255, L"x"},
                    // The default goes through the buffer like a stored value.
                    MissingCase{"DefaultCutByTheBuffer", L"xyz", 3, L"x"},
                    MissingCase{"DefaultWhenBufferTooSmall", L"xyz", 1, L"xyz"}));

TEST_F(OvFileIniTest, StringIsReturnedUntrimmed) {
    profile.Store(L"  a b\t ");
    EXPECT_EQ(ini.ReadIniString(kFile, kSection, kKey, L"", 255), L"  a b\t ");
}

TEST_F(OvFileIniTest, EmbeddedNulEndsTheValue) {
    profile.Store(std::wstring(L"ab\0cd", 5));
    EXPECT_EQ(ini.ReadIniString(kFile, kSection, kKey, L"x", 255), L"ab");
}

// ---- Typed readers ----

TEST_F(OvFileIniTest, TypedReadersGiveTheSystemSize254) {
    ini.ReadIniNumber(kFile, kSection, kKey, 0);
    ini.ReadIniDate(kFile, kSection, kKey, 0);
    ini.ReadIniBoolean(kFile, kSection, kKey, false);
    ASSERT_EQ(profile.reads.size(), 3u);
    for (const auto& call : profile.reads) EXPECT_EQ(call.size, 254u);
}

struct BooleanCase {
    const char* name;
    std::wstring stored;
    bool expectedWithDefaultFalse;
    bool expectedWithDefaultTrue;
};

void PrintTo(const BooleanCase& c, std::ostream* os) { *os << c.name; }

class OvFileIniBoolean : public OvFileIniTest, public testing::WithParamInterface<BooleanCase> {};

TEST_P(OvFileIniBoolean, NumericTextsAreTruthValuesOthersDefault) {
    const auto& c = GetParam();
    profile.Store(c.stored);
    EXPECT_EQ(ini.ReadIniBoolean(kFile, kSection, kKey, false), c.expectedWithDefaultFalse);
    EXPECT_EQ(ini.ReadIniBoolean(kFile, kSection, kKey, true), c.expectedWithDefaultTrue);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OvFileIniBoolean,
    testing::Values(BooleanCase{"One", L"1", true, true}, BooleanCase{"MinusOne", L"-1", true, true},
                    BooleanCase{"Two", L"2", true, true}, BooleanCase{"Half", L"0.5", true, true},
                    BooleanCase{"Zero", L"0", false, false}, BooleanCase{"WordTrue", L"True", false, true},
                    BooleanCase{"WordFalse", L"False", false, true}, BooleanCase{"Yes", L"yes", false, true},
                    BooleanCase{"Empty", L"", false, true},
                    // The reader sees 253 characters: the final 1 is cut off.
                    BooleanCase{"LongTextCut", std::wstring(253, L'0') + L"1", false, false}));

TEST_F(OvFileIniTest, BooleanDefaultTextIsItsIntegerForm) {
    EXPECT_TRUE(ini.ReadIniBoolean(kFile, kSection, kKey, true));
    EXPECT_FALSE(ini.ReadIniBoolean(kFile, kSection, kKey, false));
    ASSERT_EQ(profile.reads.size(), 2u);
    EXPECT_EQ(profile.reads[0].defaultText, L"-1");
    EXPECT_EQ(profile.reads[1].defaultText, L"0");
}

struct NumberCase {
    const char* name;
    wchar_t decimal;
    std::wstring stored;
    double expected;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

class OvFileIniNumber : public OvFileIniTest, public testing::WithParamInterface<NumberCase> {};

TEST_P(OvFileIniNumber, NumericTextIsConvertedOthersDefault) {
    const auto& c = GetParam();
    conversions.decimal = c.decimal;
    profile.Store(c.stored);
    EXPECT_EQ(ini.ReadIniNumber(kFile, kSection, kKey, 99), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OvFileIniNumber,
    testing::Values(NumberCase{"Point", L'.', L"12.5", 12.5}, NumberCase{"Comma", L',', L"12,5", 12.5},
                    NumberCase{"Negative", L'.', L"-3.25", -3.25}, NumberCase{"Exponent", L'.', L"1e3", 1000},
                    NumberCase{"Letters", L'.', L"abc", 99}, NumberCase{"Empty", L'.', L"", 99},
                    NumberCase{"OtherSeparator", L',', L"12.5", 99},
                    NumberCase{"LongTextCut", L'.', std::wstring(253, L'0') + L"7", 0}));

TEST_F(OvFileIniTest, MissingNumberIsDefValueThroughItsText) {
    conversions.decimal = L',';
    EXPECT_EQ(ini.ReadIniNumber(kFile, kSection, kKey, -3.25), -3.25);
    ASSERT_EQ(profile.reads.size(), 1u);
    EXPECT_EQ(profile.reads[0].defaultText, L"-3,25");
    // 15 significant digits of text: the default comes back as what its text says.
    EXPECT_EQ(ini.ReadIniNumber(kFile, kSection, kKey, 0.1 + 0.2), 0.3);
}

struct DateCase {
    const char* name;
    std::wstring stored;
    double expected;
};

void PrintTo(const DateCase& c, std::ostream* os) { *os << c.name; }

class OvFileIniDate : public OvFileIniTest, public testing::WithParamInterface<DateCase> {};

constexpr double kDefaultDate = 36526.5;

TEST_P(OvFileIniDate, DateTextIsConvertedEmptyOrNoDateIsDefault) {
    profile.Store(GetParam().stored);
    EXPECT_EQ(ini.ReadIniDate(kFile, kSection, kKey, kDefaultDate), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OvFileIniDate,
    testing::Values(DateCase{"Date", L"day 42683.5", 42683.5}, DateCase{"BeforeZeroDay", L"day -1.25", -1.25},
                    DateCase{"OneDay", L"day 1", 1}, DateCase{"EmptyDate", L"day 0", kDefaultDate},
                    DateCase{"NegativeZeroIsEmpty", L"day -0", kDefaultDate},
                    DateCase{"NoDate", L"abc", kDefaultDate}, DateCase{"Empty", L"", kDefaultDate}));

TEST_F(OvFileIniTest, MissingDateIsDefValueThroughItsText) {
    EXPECT_EQ(ini.ReadIniDate(kFile, kSection, kKey, kDefaultDate), kDefaultDate);
    ASSERT_EQ(profile.reads.size(), 1u);
    EXPECT_EQ(profile.reads[0].defaultText, L"day 36526.5");
}

TEST_F(OvFileIniTest, MissingDateWithEmptyDefaultIsTheEmptyDate) {
    EXPECT_EQ(ini.ReadIniDate(kFile, kSection, kKey, 0), 0);
}

// ---- Writers ----

TEST_F(OvFileIniTest, WritersPassSectionKeyTextAndFile) {
    ini.WriteIniString(kFile, kSection, kKey, L" value ");
    ini.WriteIniBoolean(kFile, kSection, kKey, true);
    ini.WriteIniBoolean(kFile, kSection, kKey, false);
    conversions.decimal = L',';
    ini.WriteIniNumber(kFile, kSection, kKey, -3.25);
    ini.WriteIniNumber(kFile, kSection, kKey, 1e20);
    const std::vector<std::wstring> expected{L" value ", L"-1", L"0", L"-3,25", L"1e+20"};
    ASSERT_EQ(profile.writes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& call = profile.writes[i];
        EXPECT_EQ(std::tie(call.section, call.key, call.value, call.file),
                  std::tie(kSection, kKey, expected[i], kFile));
    }
}

class OvFileIniBooleanRoundTrip : public OvFileIniTest, public testing::WithParamInterface<bool> {};

TEST_P(OvFileIniBooleanRoundTrip, ReadsBackWhatWasWritten) {
    ini.WriteIniBoolean(kFile, kSection, kKey, GetParam());
    EXPECT_EQ(ini.ReadIniBoolean(kFile, kSection, kKey, !GetParam()), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Values, OvFileIniBooleanRoundTrip, testing::Bool());

// Automation date of a civil day number (days from 30 December 1899) and a time of day.
double At(double day, int hours, int minutes, double seconds) {
    const double time = (hours * 3600 + minutes * 60 + seconds) / 86400.0;
    return day < 0 ? day - time : day + time;
}

constexpr double k9Nov2016 = 42683;
constexpr double k1Jan2000 = 36526;
constexpr double k1Jan1800 = -36522;
constexpr double k29Feb2000 = 36585;

struct DateTextCase {
    const char* name;
    double value;
    std::wstring separator;
    std::wstring expected;
};

void PrintTo(const DateTextCase& c, std::ostream* os) { *os << c.name; }

class OvFileIniDateText : public OvFileIniTest, public testing::WithParamInterface<DateTextCase> {};

TEST_P(OvFileIniDateText, WritesDayMonthYearAndDottedTime) {
    const auto& c = GetParam();
    conversions.dateSeparator = c.separator;
    ini.WriteIniDate(kFile, kSection, kKey, c.value);
    ASSERT_EQ(profile.writes.size(), 1u);
    EXPECT_EQ(profile.writes[0].value, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, OvFileIniDateText,
    testing::Values(
        DateTextCase{"Nov2016", At(k9Nov2016, 14, 5, 30), L"/", L"09/11/2016 14.05.30"},
        DateTextCase{"Jan2000", At(k1Jan2000, 8, 0, 0), L"/", L"01/01/2000 08.00.00"},
        DateTextCase{"EmptyDate", 0, L"/", L"30/12/1899 00.00.00"},
        DateTextCase{"Year1800", At(k1Jan1800, 6, 0, 0), L"/", L"01/01/1800 06.00.00"},
        DateTextCase{"DayBeforeZeroDay", -1.25, L"/", L"29/12/1899 06.00.00"},
        DateTextCase{"TimeOnZeroDayNegative", -0.5, L"/", L"30/12/1899 12.00.00"},
        DateTextCase{"DayAfterZeroDay", 1.5, L"/", L"31/12/1899 12.00.00"},
        DateTextCase{"LeapDay", k29Feb2000, L"/", L"29/02/2000 00.00.00"},
        DateTextCase{"NoLeapDayIn1900", 61, L"/", L"01/03/1900 00.00.00"},
        DateTextCase{"LastSecondOfTheDay", At(k9Nov2016, 23, 59, 59), L"/", L"09/11/2016 23.59.59"},
        DateTextCase{"SecondsRoundDown", At(k9Nov2016, 23, 59, 59.4), L"/", L"09/11/2016 23.59.59"},
        DateTextCase{"SecondsRoundUpToNextDay", At(k9Nov2016, 23, 59, 59.6), L"/", L"10/11/2016 00.00.00"},
        DateTextCase{"RoundUpToNextYear", At(k1Jan2000 - 1, 23, 59, 59.6), L"/", L"01/01/2000 00.00.00"},
        // Before the zero day the next calendar day is the next day number up.
        DateTextCase{"RoundUpBeforeZeroDay", -1.99999999, L"/", L"30/12/1899 00.00.00"},
        DateTextCase{"RoundUpOnNegativeZeroDay", -0.99999999, L"/", L"31/12/1899 00.00.00"},
        DateTextCase{"FirstDay", -657434, L"/", L"01/01/100 00.00.00"},
        DateTextCase{"LastSecond", At(2958465, 23, 59, 59), L"/", L"31/12/9999 23.59.59"},
        DateTextCase{"LastSecondRoundsIntoYear10000", 2958465.999999999, L"/", L"01/01/10000 00.00.00"},
        DateTextCase{"DashSeparator", At(k9Nov2016, 14, 5, 30), L"-", L"09-11-2016 14.05.30"},
        DateTextCase{"DotSeparator", At(k1Jan2000, 8, 0, 0), L".", L"01.01.2000 08.00.00"},
        DateTextCase{"TwoCharacterSeparator", At(k1Jan2000, 8, 0, 0), L". ", L"01. 01. 2000 08.00.00"}));

class OvFileIniDateOutOfRange : public OvFileIniTest, public testing::WithParamInterface<double> {};

TEST_P(OvFileIniDateOutOfRange, IsRaisedAndNothingIsWritten) {
    EXPECT_THROW(ini.WriteIniDate(kFile, kSection, kKey, GetParam()), std::out_of_range);
    EXPECT_TRUE(profile.writes.empty());
}

INSTANTIATE_TEST_SUITE_P(Values, OvFileIniDateOutOfRange,
                         testing::Values(-657435.0, 2958466.0, std::numeric_limits<double>::quiet_NaN(),
                                         std::numeric_limits<double>::infinity(),
                                         -std::numeric_limits<double>::infinity()));

} // namespace
} // namespace orvh
