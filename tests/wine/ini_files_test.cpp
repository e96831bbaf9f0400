// OvFileIni over the real profile functions and oleaut32's locale conversions, on real
// files. Expected values are those the platform gives.
#include "ini/ov_file_ini.h"
#include "ini/profile_functions_win32.h"
#include "system/locale_conversions_win32.h"
#include "test_paths.h"

#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace orvh {
namespace {

constexpr LCID kItalian = 1040;
constexpr LCID kEnglish = 1033;
constexpr LCID kDutch = 1043;  // date separator "-"

constexpr double k9Nov2016At140530 = 42683 + (14 * 3600 + 5 * 60 + 30) / 86400.0;
constexpr double k11Sep2016At140530 = 42624 + (14 * 3600 + 5 * 60 + 30) / 86400.0;
constexpr double k1Jan2000At0800 = 36526 + 8 / 24.0;
constexpr double kHalfSecond = 0.5 / 86400;

std::wstring Pattern(std::size_t length) {
    std::wstring text(length, L' ');
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<wchar_t>(L'a' + i % 26);
    return text;
}

class IniFiles : public testing::Test {
protected:
    // An INI file "[S]" holding the line "k=<raw>" (ASCII only).
    void StoreRaw(const std::string& raw) { test::WriteFileBytes(file, "[S]\r\nk=" + raw + "\r\n"); }

    OvFileIni& Ini(LCID locale) {
        conversions = std::make_unique<VariantLocaleConversions>(locale);
        iniFile = std::make_unique<OvFileIni>(profile, *conversions);
        return *iniFile;
    }

    test::ScratchFolder folder;
    const std::wstring file = folder / L"test.ini";
    Win32ProfileFunctions profile;
    std::unique_ptr<VariantLocaleConversions> conversions;
    std::unique_ptr<OvFileIni> iniFile;
};

// ---- ReadIniString ----

struct LengthCase {
    std::size_t stored;
    std::size_t expected;
};

void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.stored << " characters"; }

class IniFilesLength : public IniFiles, public testing::WithParamInterface<LengthCase> {};

TEST_P(IniFilesLength, Buffer255HoldsAtMost253Characters) {
    const std::wstring value = Pattern(GetParam().stored);
    StoreRaw(std::string(value.begin(), value.end()));
    EXPECT_EQ(Ini(kItalian).ReadIniString(file, L"S", L"k", L"", 255), value.substr(0, GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Values, IniFilesLength,
                         testing::Values(LengthCase{252, 252}, LengthCase{253, 253}, LengthCase{254, 253},
                                         LengthCase{255, 253}, LengthCase{256, 253}, LengthCase{300, 253}));

TEST_F(IniFiles, SmallBuffers) {
    StoreRaw("abc");
    auto& reader = Ini(kItalian);
    EXPECT_EQ(reader.ReadIniString(file, L"S", L"k", L"x", 1), L"x");  // size 0: the system writes nothing
    EXPECT_EQ(reader.ReadIniString(file, L"S", L"k", L"x", 2), L"");
    EXPECT_EQ(reader.ReadIniString(file, L"S", L"k", L"x", 3), L"a");
    EXPECT_EQ(reader.ReadIniString(file, L"S", L"k", L"x", 0), L"x");
    EXPECT_EQ(reader.ReadIniString(file, L"S", L"k", L"x", -1), L"x");
}

struct RawCase {
    const char* name;
    std::string raw;
    std::wstring expected;
};

void PrintTo(const RawCase& c, std::ostream* os) { *os << c.name; }

class IniFilesRaw : public IniFiles, public testing::WithParamInterface<RawCase> {};

// Blanks and one pair of enclosing quotes are the system's to remove; the reader trims nothing.
TEST_P(IniFilesRaw, ValueComesBackAsTheSystemReturnsIt) {
    StoreRaw(GetParam().raw);
    EXPECT_EQ(Ini(kItalian).ReadIniString(file, L"S", L"k", L"x", 255), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniFilesRaw,
    testing::Values(RawCase{"Plain", "0001.0001.0000.0602", L"0001.0001.0000.0602"},
                    RawCase{"BlanksAround", "   a b   ", L"a b"}, RawCase{"TabsAround", "\tx\t", L"x"},
                    RawCase{"DoubleQuotes", "\"abc\"", L"abc"}, RawCase{"SingleQuotes", "'abc'", L"abc"},
                    RawCase{"BlanksInsideQuotesKept", "  \" abc \"  ", L" abc "},
                    RawCase{"UnpairedQuoteKept", "\"abc", L"\"abc"}, RawCase{"Empty", "", L""}));

struct MissingCase {
    const char* name;
    std::wstring section;
    std::wstring key;
    bool fileExists;
};

void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.name; }

class IniFilesMissing : public IniFiles, public testing::WithParamInterface<MissingCase> {};

TEST_P(IniFilesMissing, YieldsDefValue) {
    const auto& c = GetParam();
    if (c.fileExists) StoreRaw("v");
    auto& reader = Ini(kItalian);
    EXPECT_EQ(reader.ReadIniString(file, c.section, c.key, L"", 255), L"");
    EXPECT_EQ(reader.ReadIniString(file, c.section, c.key, L"x", 255), L"x");
    // The system drops trailing blanks of the default text.
    EXPECT_EQ(reader.ReadIniString(file, c.section, c.key, L" x  ", 255), L" x");
}

INSTANTIATE_TEST_SUITE_P(Places, IniFilesMissing,
                         testing::Values(MissingCase{"File", L"S", L"k", false},
                                         MissingCase{"Section", L"Versione", L"k", true},
                                         MissingCase{"Key", L"S", L"Setup.msi", true}));

// ---- Typed readers ----

struct TypedCase {
    const char* name;
    LCID locale;
    std::string raw;
    double number;         // ReadIniNumber with DefValue 99
    std::optional<bool> truth;  // ReadIniBoolean; nullopt: DefValue
};

void PrintTo(const TypedCase& c, std::ostream* os) { *os << c.name; }

class IniFilesTyped : public IniFiles, public testing::WithParamInterface<TypedCase> {};

TEST_P(IniFilesTyped, NumberAndBooleanFollowTheLocale) {
    const auto& c = GetParam();
    StoreRaw(c.raw);
    auto& reader = Ini(c.locale);
    EXPECT_EQ(reader.ReadIniNumber(file, L"S", L"k", 99), c.number);
    EXPECT_EQ(reader.ReadIniBoolean(file, L"S", L"k", false), c.truth.value_or(false));
    EXPECT_EQ(reader.ReadIniBoolean(file, L"S", L"k", true), c.truth.value_or(true));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IniFilesTyped,
    testing::Values(
        TypedCase{"ItalianComma", kItalian, "12,5", 12.5, true},
        // "." groups thousands in Italian.
        TypedCase{"ItalianPointGroups", kItalian, "12.5", 125, true},
        TypedCase{"EnglishPoint", kEnglish, "12.5", 12.5, true},
        TypedCase{"EnglishCommaGroups", kEnglish, "12,5", 125, true},
        TypedCase{"ItalianLetters", kItalian, "abc", 99, std::nullopt},
        TypedCase{"EnglishLetters", kEnglish, "abc", 99, std::nullopt},
        TypedCase{"ItalianExponent", kItalian, "1e3", 1000, true},
        TypedCase{"EnglishExponent", kEnglish, "1e3", 1000, true},
        TypedCase{"ItalianEmpty", kItalian, "", 99, std::nullopt},
        TypedCase{"EnglishEmpty", kEnglish, "", 99, std::nullopt},
        TypedCase{"One", kItalian, "1", 1, true}, TypedCase{"MinusOne", kEnglish, "-1", -1, true},
        TypedCase{"Two", kItalian, "2", 2, true}, TypedCase{"Zero", kEnglish, "0", 0, false},
        TypedCase{"ItalianHalfIsTrue", kItalian, "0,5", 0.5, true},
        TypedCase{"BlanksTrimmedBySystem", kItalian, "  7  ", 7, true},
        TypedCase{"ItalianWordTrue", kItalian, "True", 99, std::nullopt},
        TypedCase{"EnglishWordTrue", kEnglish, "True", 99, std::nullopt},
        TypedCase{"Yes", kEnglish, "yes", 99, std::nullopt},
        TypedCase{"Overflow", kEnglish, "1e400", 99, std::nullopt}));

struct DateReadCase {
    const char* name;
    LCID locale;
    std::string raw;
    std::optional<double> date;  // nullopt: DefValue
};

void PrintTo(const DateReadCase& c, std::ostream* os) { *os << c.name; }

class IniFilesDateRead : public IniFiles, public testing::WithParamInterface<DateReadCase> {};

constexpr double kDefaultDate = 40000.25;

TEST_P(IniFilesDateRead, DateOrDefValue) {
    const auto& c = GetParam();
    StoreRaw(c.raw);
    const double result = Ini(c.locale).ReadIniDate(file, L"S", L"k", kDefaultDate);
    if (c.date) {
        EXPECT_NEAR(result, *c.date, kHalfSecond / 1000);
    } else {
        EXPECT_EQ(result, kDefaultDate);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IniFilesDateRead,
    testing::Values(
        // The date as written by WriteIniDate: "." between the time fields is accepted;
        // the order of day and month is the locale's.
        DateReadCase{"ItalianDottedTime", kItalian, "09/11/2016 14.05.30", k9Nov2016At140530},
        DateReadCase{"EnglishDottedTimeMonthFirst", kEnglish, "09/11/2016 14.05.30", k11Sep2016At140530},
        DateReadCase{"ItalianColonTime", kItalian, "09/11/2016 14:05:30", k9Nov2016At140530},
        DateReadCase{"ItalianDateOnly", kItalian, "01/01/2000", 36526},
        DateReadCase{"ItalianBefore1900", kItalian, "01/01/1800 06.00.00", -36522.25},
        DateReadCase{"ItalianEmptyDate", kItalian, "30/12/1899", std::nullopt},
        DateReadCase{"ItalianEmptyTime", kItalian, "00:00:00", std::nullopt},
        DateReadCase{"EnglishEmptyDate", kEnglish, "12/30/1899", std::nullopt},
        DateReadCase{"ItalianDayAfterEmptyDate", kItalian, "31/12/1899", 1},
        DateReadCase{"ItalianNoDate", kItalian, "abc", std::nullopt},
        DateReadCase{"ItalianImpossibleDate", kItalian, "13/25/2016", std::nullopt},
        DateReadCase{"ItalianEmpty", kItalian, "", std::nullopt}));

TEST_F(IniFiles, MissingTypedValuesAreTheirDefaults) {
    StoreRaw("v");
    for (const LCID locale : {kItalian, kEnglish}) {
        auto& reader = Ini(locale);
        EXPECT_EQ(reader.ReadIniNumber(file, L"S", L"absent", -3.25), -3.25);
        EXPECT_EQ(reader.ReadIniBoolean(file, L"S", L"absent", true), true);
        EXPECT_EQ(reader.ReadIniBoolean(file, L"S", L"absent", false), false);
        EXPECT_NEAR(reader.ReadIniDate(file, L"S", L"absent", k9Nov2016At140530), k9Nov2016At140530,
                    kHalfSecond / 1000);
        EXPECT_EQ(reader.ReadIniDate(file, L"S", L"absent", 0), 0);
    }
}

// ---- Writers, read back ----

class IniFilesBooleanWrite : public IniFiles, public testing::WithParamInterface<LCID> {};

TEST_P(IniFilesBooleanWrite, WritesIntegerFormAndReadsItBack) {
    auto& ini = Ini(GetParam());
    ini.WriteIniBoolean(file, L"S", L"yes", true);
    ini.WriteIniBoolean(file, L"S", L"no", false);
    EXPECT_EQ(ini.ReadIniString(file, L"S", L"yes", L"", 255), L"-1");
    EXPECT_EQ(ini.ReadIniString(file, L"S", L"no", L"", 255), L"0");
    EXPECT_TRUE(ini.ReadIniBoolean(file, L"S", L"yes", false));
    EXPECT_FALSE(ini.ReadIniBoolean(file, L"S", L"no", true));
}

INSTANTIATE_TEST_SUITE_P(Locales, IniFilesBooleanWrite, testing::Values(kItalian, kEnglish));

struct NumberWriteCase {
    const char* name;
    LCID locale;
    double value;
    std::wstring text;
    double readBack;
};

void PrintTo(const NumberWriteCase& c, std::ostream* os) { *os << c.name; }

class IniFilesNumberWrite : public IniFiles, public testing::WithParamInterface<NumberWriteCase> {};

TEST_P(IniFilesNumberWrite, WritesGeneralFormAndReadsItBack) {
    const auto& c = GetParam();
    auto& ini = Ini(c.locale);
    ini.WriteIniNumber(file, L"S", L"k", c.value);
    EXPECT_EQ(ini.ReadIniString(file, L"S", L"k", L"", 255), c.text);
    EXPECT_EQ(ini.ReadIniNumber(file, L"S", L"k", 99), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniFilesNumberWrite,
    testing::Values(NumberWriteCase{"ItalianNegative", kItalian, -3.25, L"-3,25", -3.25},
                    NumberWriteCase{"EnglishNegative", kEnglish, -3.25, L"-3.25", -3.25},
                    NumberWriteCase{"ItalianTenth", kItalian, 0.1, L"0,1", 0.1},
                    NumberWriteCase{"EnglishTenth", kEnglish, 0.1, L"0.1", 0.1},
                    NumberWriteCase{"ItalianLarge", kItalian, 1e20, L"1E+20", 1e20},
                    NumberWriteCase{"EnglishLarge", kEnglish, 1e20, L"1E+20", 1e20},
                    NumberWriteCase{"NoGrouping", kItalian, 1234567.5, L"1234567,5", 1234567.5},
                    NumberWriteCase{"ItalianThird15Digits", kItalian, 1.0 / 3, L"0,333333333333333",
                                    0.333333333333333},
                    NumberWriteCase{"EnglishThird15Digits", kEnglish, 1.0 / 3, L"0.333333333333333",
                                    0.333333333333333},
                    NumberWriteCase{"Rounded15Digits", kEnglish, 123456789012345.6, L"123456789012346",
                                    123456789012346},
                    NumberWriteCase{"NegativeZero", kEnglish, -0.0, L"0", 0}));

TEST_F(IniFiles, NumberWrittenInOneLocaleReadInAnother) {
    Ini(kItalian).WriteIniNumber(file, L"S", L"k", 12.5);
    EXPECT_EQ(Ini(kEnglish).ReadIniNumber(file, L"S", L"k", 99), 125);
}

struct DateWriteCase {
    const char* name;
    LCID locale;
    double value;
    std::wstring text;
    std::optional<double> readBack;  // nullopt: DefValue
};

void PrintTo(const DateWriteCase& c, std::ostream* os) { *os << c.name; }

class IniFilesDateWrite : public IniFiles, public testing::WithParamInterface<DateWriteCase> {};

TEST_P(IniFilesDateWrite, WritesThePatternAndReadsItBack) {
    const auto& c = GetParam();
    auto& ini = Ini(c.locale);
    ini.WriteIniDate(file, L"S", L"k", c.value);
    EXPECT_EQ(ini.ReadIniString(file, L"S", L"k", L"", 255), c.text);
    const double result = ini.ReadIniDate(file, L"S", L"k", kDefaultDate);
    if (c.readBack) {
        EXPECT_NEAR(result, *c.readBack, kHalfSecond / 1000);
    } else {
        EXPECT_EQ(result, kDefaultDate);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dates, IniFilesDateWrite,
    testing::Values(
        DateWriteCase{"Italian", kItalian, k9Nov2016At140530, L"09/11/2016 14.05.30", k9Nov2016At140530},
        // Read back month first: 9 November becomes 11 September.
        DateWriteCase{"EnglishSwapsDayAndMonth", kEnglish, k9Nov2016At140530, L"09/11/2016 14.05.30",
                      k11Sep2016At140530},
        DateWriteCase{"EnglishDayAbove12", kEnglish, 42729.5, L"25/12/2016 12.00.00", 42729.5},
        DateWriteCase{"ItalianJan2000", kItalian, k1Jan2000At0800, L"01/01/2000 08.00.00", k1Jan2000At0800},
        DateWriteCase{"ItalianBefore1900", kItalian, -36522.25, L"01/01/1800 06.00.00", -36522.25},
        DateWriteCase{"ItalianEmptyDateIsDefault", kItalian, 0, L"30/12/1899 00.00.00", std::nullopt},
        DateWriteCase{"DutchSeparator", kDutch, k9Nov2016At140530, L"09-11-2016 14.05.30", k9Nov2016At140530}));

// The platform's own formatting of the same pattern (first day Sunday, first week that of
// 1 January), in the user's regional settings.
std::wstring PlatformFormat(double date) {
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_DATE;
    value.date = date;
    BSTR text = nullptr;
    wchar_t pattern[] = L"dd/mm/yyyy hh.nn.ss";
    if (FAILED(::VarFormat(&value, pattern, 1, 1, 0, &text))) return L"(VarFormat failed)";
    const std::unique_ptr<OLECHAR, decltype(&::SysFreeString)> owner(text, &::SysFreeString);
    return std::wstring(text, ::SysStringLen(text));
}

class IniFilesDateFormat : public IniFiles, public testing::WithParamInterface<double> {};

TEST_P(IniFilesDateFormat, MatchesThePlatformsFormatting) {
    auto& ini = Ini(LOCALE_USER_DEFAULT);
    ini.WriteIniDate(file, L"S", L"k", GetParam());
    EXPECT_EQ(ini.ReadIniString(file, L"S", L"k", L"", 255), PlatformFormat(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Dates, IniFilesDateFormat,
                         testing::Values(k9Nov2016At140530, k1Jan2000At0800, 0.0, -36522.25, -1.25, -0.5, 1.5,
                                         61.0, 36585.75,
                                         // Seconds rounding, up to the next calendar day.
                                         42683 + 86399.4 / 86400, 42683 + 86399.6 / 86400, -1.99999999,
                                         -0.99999999, -657434.0, 2958465 + 86399.0 / 86400, 2958465.999999999));

// ---- Texts beyond ASCII ----

// What a text becomes through the ANSI code page, the encoding of a file the system creates.
std::wstring ThroughAnsiCodePage(const std::wstring& text) {
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi.data(), bytes, nullptr, nullptr);
    const int chars = ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(chars), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), chars);
    wide.resize(wide.find(L'\0'));
    return wide;
}

TEST_F(IniFiles, NewFileKeepsWhatTheAnsiCodePageHolds) {
    auto& ini = Ini(kItalian);
    ini.WriteIniString(file, L"Sezione", L"Città", L"Perché");
    EXPECT_EQ(ini.ReadIniString(file, L"Sezione", L"Città", L"", 255), ThroughAnsiCodePage(L"Perché"));
}

TEST_F(IniFiles, UnicodeFileKeepsEveryCharacter) {
    test::WriteFileBytes(file, std::string("\xFF\xFE", 2));
    auto& ini = Ini(kItalian);
    const std::wstring value = L"Perché \u03A9 \u65E5\u672C";
    ini.WriteIniString(file, L"Sezione", L"Città", value);
    EXPECT_EQ(ini.ReadIniString(file, L"Sezione", L"Città", L"", 255), value);
    EXPECT_EQ(ini.ReadIniString(file, L"Sezione", L"Citta", L"x", 255), L"x");
}

} // namespace
} // namespace orvh
