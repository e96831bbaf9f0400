#include "msp/stream_name.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace orvh::msp {
namespace {

struct NameCase {
    const char* name;
    std::wstring plain;
    StreamKind kind;
    std::wstring stored;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class StreamNameEncoding : public testing::TestWithParam<NameCase> {};

TEST_P(StreamNameEncoding, PacksPairsOfCharacters) {
    EXPECT_EQ(EncodeStreamName(GetParam().plain, GetParam().kind), GetParam().stored);
}

// The string pool streams as every installer database stores them ("䡀㼿䕷䑬㭪䗤䠤" and
// "䡀㼿䕷䑬㹪䒲䠯"); the others worked out by hand from the packing rule.
INSTANTIATE_TEST_SUITE_P(
    Names, StreamNameEncoding,
    testing::Values(
        NameCase{"StringData", L"_StringData", StreamKind::Table,
                 {0x4840, 0x3F3F, 0x4577, 0x446C, 0x3B6A, 0x45E4, 0x4824}},
        NameCase{"StringPool", L"_StringPool", StreamKind::Table,
                 {0x4840, 0x3F3F, 0x4577, 0x446C, 0x3E6A, 0x44B2, 0x482F}},
        NameCase{"OddLengthTableEndsWithSingle", L"_Tables", StreamKind::Table, {0x4840, 0x3F7F, 0x4164, 0x422F, 0x4836}},
        NameCase{"PlainStreamHasNoTableMark", L"payload.cab", StreamKind::Plain,
                 {0x4133, 0x43FC, 0x4132, 0x47A7, 0x4126, 0x4825}},
        NameCase{"OtherCharactersStayAsTheyAre", L"#a-b", StreamKind::Plain, {L'#', 0x4824, L'-', 0x4825}},
        NameCase{"DigitsAreInTheAlphabet", L"T1", StreamKind::Plain, {0x3800 + 29 + (1 << 6)}},
        NameCase{"EmptyTableName", L"", StreamKind::Table, {0x4840}}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

TEST(StreamName, FitsThirtyOneUnitsAtMost) {
    EXPECT_EQ(EncodeStreamName(std::wstring(60, L'a'), StreamKind::Table).size(), 31u);
    EXPECT_THROW(EncodeStreamName(std::wstring(62, L'a'), StreamKind::Table), std::length_error);
    EXPECT_THROW(EncodeStreamName(std::wstring(32, L'#'), StreamKind::Plain), std::length_error);
}

} // namespace
} // namespace orvh::msp
