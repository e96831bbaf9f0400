#include "msp/table_difference.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace orvh::msp {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

Table Properties(std::vector<Row> rows) {
    return Table{L"Property", {{L"Property", L"s72", true}, {L"Value", L"l0", false}}, std::move(rows)};
}

Table Files(std::vector<Row> rows) {
    return Table{L"File",
                 {{L"File", L"s72", true}, {L"Component_", L"s72", false}, {L"FileName", L"l255", false},
                  {L"FileSize", L"i4", false}, {L"Version", L"S72", false}, {L"Language", L"S20", false},
                  {L"Attributes", L"I2", false}, {L"Sequence", L"i4", false}},
                 std::move(rows)};
}

Row File(const wchar_t* key, std::int32_t size, std::int32_t sequence) {
    return {key, L"Component1", L"app.exe", size, std::monostate{}, std::monostate{}, 512, sequence};
}

TEST(TableDifference, EqualTablesGiveNoRecords) {
    const Table table = Properties({{L"ProductVersion", L"1.2.0"}});
    EXPECT_THAT(TableDifference(table, table), IsEmpty());
}

TEST(TableDifference, DeletionCarriesTheKeyOnly) {
    EXPECT_THAT(TableDifference(Properties({{L"A", L"1"}, {L"B", L"2"}}), Properties({{L"B", L"2"}})),
                ElementsAre(RowRecord{0x0000, {L"A"}}));
}

TEST(TableDifference, InsertionCarriesEveryCellAndTheirCount) {
    EXPECT_THAT(TableDifference(Properties({}), Properties({{L"A", L"1"}})),
                ElementsAre(RowRecord{0x0201, {L"A", L"1"}}));
}

TEST(TableDifference, UpdateCarriesTheKeyAndTheChangedColumns) {
    EXPECT_THAT(TableDifference(Properties({{L"ProductVersion", L"1.2.0"}}), Properties({{L"ProductVersion", L"1.2.100"}})),
                ElementsAre(RowRecord{0x0002, {L"ProductVersion", L"1.2.100"}}));
    // FileSize is column 3, Sequence column 7.
    EXPECT_THAT(TableDifference(Files({File(L"File1", 100, 1)}), Files({File(L"File1", 120, 3)})),
                ElementsAre(RowRecord{(1 << 3) | (1 << 7), {L"File1", 120, 3}}));
}

TEST(TableDifference, ChangedKeyIsADeletionAndAnInsertion) {
    const Table before{L"Upgrade", {{L"UpgradeCode", L"s38", true}, {L"VersionMax", L"S20", true}, {L"Attributes", L"i4", false}},
                       {{L"{U}", L"1.2.0", 1}}};
    Table after = before;
    after.rows = {{L"{U}", L"1.2.100", 1}};
    EXPECT_THAT(TableDifference(before, after),
                ElementsAre(RowRecord{0, {L"{U}", L"1.2.0"}}, RowRecord{0x0301, {L"{U}", L"1.2.100", 1}}));
}

TEST(TableDifference, DeletionsComeFirst) {
    EXPECT_THAT(TableDifference(Properties({{L"A", L"1"}, {L"B", L"2"}}), Properties({{L"C", L"3"}, {L"B", L"4"}})),
                ElementsAre(RowRecord{0, {L"A"}}, RowRecord{0x0201, {L"C", L"3"}}, RowRecord{0x0002, {L"B", L"4"}}));
}

TEST(TableDifference, RefusesWhatItCannotWrite) {
    Table other = Properties({});
    other.columns[1].type = L"L0";
    EXPECT_THROW(TableDifference(Properties({}), other), std::invalid_argument) << "columns differ";
    EXPECT_THROW(TableDifference(Properties({{L"A", L"1"}, {L"A", L"2"}}), Properties({})), std::invalid_argument)
        << "duplicate key";

    const Table binary{L"Binary", {{L"Name", L"s72", true}, {L"Data", L"v0", false}}, {}};
    Table withStream = binary;
    withStream.rows = {{L"Icon", StreamContent{{1, 2, 3}}}};
    EXPECT_THROW(TableDifference(binary, withStream), std::invalid_argument) << "stream carried";

    Table wide{L"Wide", {{L"Key", L"s72", true}}, {}};
    for (int i = 0; i < 16; ++i) wide.columns.push_back({L"C" + std::to_wstring(i), L"I2", false});
    Row row(17, Cell{std::int32_t{1}});
    row[0] = L"K";
    wide.rows = {row};
    Table changed = wide;
    changed.rows[0][16] = 2;
    EXPECT_THROW(TableDifference(wide, changed), std::invalid_argument) << "more columns than a mask holds";
}

TEST(CatalogRows, DeclareAnAddedTable) {
    const Table added{L"PatchPackage", {{L"PatchId", L"s38", true}, {L"Media_", L"i2", false}}, {}};
    EXPECT_THAT(TablesCatalogRows(added).rows, ElementsAre(Row{L"PatchPackage"}));
    EXPECT_THAT(ColumnsCatalogRows(added).rows,
                ElementsAre(Row{L"PatchPackage", 1, L"PatchId", 0x2D26}, Row{L"PatchPackage", 2, L"Media_", 0x0502}));
}

} // namespace
} // namespace orvh::msp
