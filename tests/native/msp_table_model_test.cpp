#include "msp/table_model.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace orvh::msp {
namespace {

struct TypeCase {
    const char* name;
    Column column;
    std::uint16_t code;
};

void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }

class ColumnTypes : public testing::TestWithParam<TypeCase> {};

TEST_P(ColumnTypes, GiveTheCodeOfTheColumnsTable) { EXPECT_EQ(ColumnTypeCode(GetParam().column), GetParam().code); }

// The type numbers installer databases carry in _Columns for these column definitions.
INSTANTIATE_TEST_SUITE_P(
    Types, ColumnTypes,
    testing::Values(TypeCase{"KeyString", {L"File", L"s72", true}, 0x2D48},
                    TypeCase{"String", {L"Component_", L"s72", false}, 0x0D48},
                    TypeCase{"NullableString", {L"Version", L"S72", false}, 0x1D48},
                    TypeCase{"GuidKey", {L"PatchId", L"s38", true}, 0x2D26},
                    TypeCase{"LocalizableNullable", {L"DiskPrompt", L"L64", false}, 0x1F40},
                    TypeCase{"Localizable", {L"FileName", L"l255", false}, 0x0FFF},
                    TypeCase{"LongText", {L"Value", L"l0", false}, 0x0F00},
                    TypeCase{"ShortKey", {L"DiskId", L"i2", true}, 0x2502},
                    TypeCase{"NullableShort", {L"Attributes", L"I2", false}, 0x1502},
                    TypeCase{"Long", {L"Sequence", L"i4", false}, 0x0104},
                    TypeCase{"NullableLong", {L"Attributes", L"I4", false}, 0x1104},
                    TypeCase{"Stream", {L"Data", L"v0", false}, 0x0900},
                    TypeCase{"NullableStream", {L"Data", L"V0", false}, 0x1900}),
    [](const testing::TestParamInfo<TypeCase>& info) { return std::string(info.param.name); });

TEST(ColumnType, UnknownTextIsRefused) {
    for (const std::wstring type : {L"", L"s", L"x4", L"i3", L"s256", L"s7a"}) {
        EXPECT_THROW(KindOf(Column{L"C", type, false}), std::invalid_argument)
            << "type " << std::string(type.begin(), type.end());
    }
}

TEST(ColumnType, KindsFollowTheLetterAndSize) {
    EXPECT_EQ(KindOf(Column{L"C", L"S255", false}), ColumnKind::String);
    EXPECT_EQ(KindOf(Column{L"C", L"I2", false}), ColumnKind::ShortInteger);
    EXPECT_EQ(KindOf(Column{L"C", L"i4", false}), ColumnKind::LongInteger);
    EXPECT_EQ(KindOf(Column{L"C", L"V0", false}), ColumnKind::Stream);
}

TEST(PropertyTable, GivesTheValueOfARow) {
    Tables tables;
    tables.emplace(L"Property", Table{L"Property",
                                      {{L"Property", L"s72", true}, {L"Value", L"l0", false}},
                                      {{L"ProductCode", L"{A}"}, {L"ProductVersion", L"1.2.0"}}});
    EXPECT_EQ(PropertyValue(tables, L"ProductVersion"), L"1.2.0");
    EXPECT_THROW(PropertyValue(tables, L"UpgradeCode"), std::out_of_range);
    EXPECT_THROW(PropertyValue(Tables{}, L"ProductVersion"), std::out_of_range);
}

} // namespace
} // namespace orvh::msp
