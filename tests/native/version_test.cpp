#include "installer/version.h"

#include "system/platform_error.h"

#include <gtest/gtest.h>

#include <string>

namespace orvh {
namespace {

struct FormatCase {
    const char* name;
    std::wstring version;
    bool fourGroups;
    std::wstring expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class FormatRule : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatRule, GivesTheFormOfTheVersion) {
    EXPECT_EQ(FormatVersion(GetParam().version, GetParam().fourGroups), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, FormatRule,
    testing::Values(
        FormatCase{"CanonicalStaysCanonical", L"0001.0004.0000.0155", true, L"0001.0004.0000.0155"},
        FormatCase{"CanonicalToDisplayDropsThirdGroup", L"0001.0004.0000.0155", false, L"1.4.155"},
        FormatCase{"ThreeGroupsGetZeroThirdGroup", L"1.4.155", true, L"0001.0004.0000.0155"},
        FormatCase{"ThreeGroupsDisplay", L"1.4.155", false, L"1.4.155"},
        FormatCase{"FileVersionCanonical", L"1.0.0.79", true, L"0001.0000.0000.0079"},
        FormatCase{"FileVersionDisplay", L"1.0.0.79", false, L"1.0.79"},
        FormatCase{"LeadingZerosDropped", L"01.04.0155", false, L"1.4.155"},
        FormatCase{"ZeroGroupsDisplayAsZero", L"0000.0000.0000.0000", false, L"0.0.0"},
        FormatCase{"FiveDigitsKept", L"12345.1.2", true, L"12345.0001.0000.0002"},
        FormatCase{"FiveDigitsKeptInFourGroups", L"1.2.12345.4", true, L"0001.0002.12345.0004"},
        FormatCase{"LeadingBlank", L" 1.2.3", true, L"0001.0002.0000.0003"},
        FormatCase{"BlanksAndTabsAroundGroups", L"1 .\t2\t. 3 ", true, L"0001.0002.0000.0003"},
        FormatCase{"LongLeadingZeros", L"000000001.2.3", false, L"1.2.3"},
        FormatCase{"SignedGroups", L"+1.-2.3", true, L"0001.-0002.0000.0003"},
        FormatCase{"NegativeDisplay", L"-1.2.3", false, L"-1.2.3"},
        FormatCase{"HexAndOctalNotation", L"&H10.&o17.&hff", true, L"0016.0015.0000.0255"},
        FormatCase{"HexAllOnesIsMinusOne", L"&HFFFFFFFF.0.0", false, L"-1.0.0"},
        FormatCase{"LargestGroup", L"2147483647.0.0", true, L"2147483647.0000.0000.0000"},
        FormatCase{"SmallestGroup", L"-2147483648.0.0", false, L"-2147483648.0.0"},
        FormatCase{"DroppedThirdGroupIsNotRead", L"1.2.abc.4", false, L"1.2.4"},
        FormatCase{"TwoGroupsUnchanged", L"1.2", true, L"1.2"},
        FormatCase{"TwoGroupsUnchangedDisplay", L"1.2", false, L"1.2"},
        FormatCase{"OneGroupUnchanged", L"7", true, L"7"},
        FormatCase{"EmptyUnchanged", L"", true, L""},
        FormatCase{"EmptyUnchangedDisplay", L"", false, L""},
        FormatCase{"FiveGroupsUnchanged", L"1.2.3.4.5", true, L"1.2.3.4.5"},
        FormatCase{"FiveGroupsUnchangedDisplay", L"1.2.3.4.5", false, L"1.2.3.4.5"},
        FormatCase{"OtherCountNotReadEvenWhenNoNumber", L"a.b", true, L"a.b"},
        FormatCase{"BareDotIsTwoEmptyGroupsUnchanged", L".", true, L"."}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

struct ErrorCase {
    const char* name;
    std::wstring version;
    bool fourGroups;
    std::int32_t number;
    std::wstring description;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

class FormatError : public testing::TestWithParam<ErrorCase> {};

TEST_P(FormatError, RaisesTheConversionError) {
    try {
        FormatVersion(GetParam().version, GetParam().fourGroups);
        ADD_FAILURE() << "no error raised";
    } catch (const PlatformError& error) {
        EXPECT_EQ(error.Number(), GetParam().number);
        EXPECT_EQ(error.Description(), GetParam().description);
    }
}

const std::wstring kMismatch = L"Tipo non corrispondente";
const std::wstring kOverflow = L"Overflow";

INSTANTIATE_TEST_SUITE_P(
    Versions, FormatError,
    testing::Values(
        ErrorCase{"EmptyGroup", L"1..3", true, 13, kMismatch},
        ErrorCase{"EmptyGroupDisplay", L"1..3", false, 13, kMismatch},
        ErrorCase{"EmptyLastGroup", L"1.2.3.", true, 13, kMismatch},
        ErrorCase{"BlankGroup", L"1. .3", true, 13, kMismatch},
        ErrorCase{"Letters", L"1.a.3", true, 13, kMismatch},
        ErrorCase{"Word", L"abc.1.2", false, 13, kMismatch},
        ErrorCase{"TrailingLetter", L"1.2.3a", true, 13, kMismatch},
        ErrorCase{"BlankInsideNumber", L"1.2 0.3", true, 13, kMismatch},
        ErrorCase{"SignOnly", L"1.-.3", true, 13, kMismatch},
        ErrorCase{"TwoSigns", L"1.+-2.3", true, 13, kMismatch},
        ErrorCase{"DecimalComma", L"1.2,5.3", true, 13, kMismatch},
        ErrorCase{"Exponent", L"1.1E3.3", true, 13, kMismatch},
        ErrorCase{"HexWithoutDigits", L"1.&H.3", true, 13, kMismatch},
        ErrorCase{"HexDigitInDecimal", L"1.1F.3", true, 13, kMismatch},
        ErrorCase{"OctalDigitEight", L"1.&O8.3", true, 13, kMismatch},
        ErrorCase{"ThirdOfFourGroupsReadForCanonical", L"1.2.abc.4", true, 13, kMismatch},
        ErrorCase{"OneAboveSigned32Bits", L"2147483648.0.0", true, 6, kOverflow},
        ErrorCase{"OneBelowSigned32Bits", L"-2147483649.0.0", false, 6, kOverflow},
        ErrorCase{"Beyond32Bits", L"1.4294967296.0", true, 6, kOverflow},
        ErrorCase{"FarBeyond64Bits", L"1.2.3.99999999999999999999999", true, 6, kOverflow},
        ErrorCase{"HexBeyond32Bits", L"&H100000000.0.0", true, 6, kOverflow},
        ErrorCase{"OctalBeyond32Bits", L"&O40000000000.0.0", true, 6, kOverflow},
        ErrorCase{"LeftmostFailingGroupDecides", L"1.x.4294967296", true, 13, kMismatch}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

TEST(ReadVersionGroup, ReadsTheNumberOfOneGroup) {
    EXPECT_EQ(ReadVersionGroup(L"0601"), 601);
    EXPECT_EQ(ReadVersionGroup(L"\t 42 \t"), 42);
    EXPECT_EQ(ReadVersionGroup(L"&O37777777777"), -1);
    EXPECT_EQ(ReadVersionGroup(L"&H80000000"), -2147483647 - 1);
    EXPECT_EQ(ReadVersionGroup(L"&H0000000000FF"), 255);
    EXPECT_THROW(ReadVersionGroup(L""), PlatformError);
}

struct OrderCase {
    const char* name;
    std::wstring newer;
    std::wstring older;
};

void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }

class VersionOrder : public testing::TestWithParam<OrderCase> {};

TEST_P(VersionOrder, NewerIsGreaterAndNotTheOtherWay) {
    EXPECT_TRUE(VersionGreater(GetParam().newer, GetParam().older));
    EXPECT_FALSE(VersionGreater(GetParam().older, GetParam().newer));
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionOrder,
    testing::Values(
        OrderCase{"MinorDecides", L"0001.0002.0000.0000", L"0001.0001.0000.0700"},
        OrderCase{"BuildDecides", L"0001.0001.0000.0602", L"0001.0001.0000.0601"},
        OrderCase{"GroupsFromTheLeft", L"0001.0010.0000.0000", L"0001.0009.9999.9999"},
        OrderCase{"EmptyIsOlderThanZero", L"0000.0000.0000.0000", L""},
        OrderCase{"EmptyIsOlderThanAnyText", L"a", L""},
        OrderCase{"CodeUnitsNotNumbers", L"009", L"0010"},
        OrderCase{"LongerAfterItsPrefix", L"0001.0001.0000.06010", L"0001.0001.0000.0601"},
        OrderCase{"LongerBeforeNextVersion", L"0001.0001.0000.0602", L"0001.0001.0000.06010"},
        OrderCase{"CaseSensitive", L"a", L"B"},
        OrderCase{"CodeUnitAboveAscii", L"\u00e9", L"z"}),
    [](const testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });

TEST(VersionOrder, EqualVersionsAreNotNewer) {
    EXPECT_FALSE(VersionGreater(L"0001.0001.0000.0601", L"0001.0001.0000.0601"));
    EXPECT_FALSE(VersionGreater(L"", L""));
}

} // namespace
} // namespace orvh
