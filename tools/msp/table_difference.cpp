#include "table_difference.h"

#include <map>
#include <stdexcept>

namespace orvh::msp {
namespace {

constexpr std::size_t kMaskColumns = 16;

Row KeyCells(const Table& table, const Row& row) {
    Row key;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].key) key.push_back(row[i]);
    }
    return key;
}

std::map<Row, const Row*> RowsByKey(const Table& table) {
    std::map<Row, const Row*> rows;
    for (const auto& row : table.rows) {
        if (row.size() != table.columns.size()) throw std::invalid_argument("row width differs from the columns");
        if (!rows.emplace(KeyCells(table, row), &row).second) throw std::invalid_argument("duplicate key");
    }
    return rows;
}

void RefuseStreams(const std::vector<Cell>& cells) {
    for (const auto& cell : cells) {
        if (std::holds_alternative<StreamContent>(cell)) {
            throw std::invalid_argument("stream cells are not carried by these transforms");
        }
    }
}

RowRecord Insertion(const Row& row) {
    RowRecord record{static_cast<std::uint16_t>((row.size() << 8) | 1), row};
    RefuseStreams(record.cells);
    return record;
}

RowRecord Update(const Table& table, const Row& before, const Row& after) {
    if (table.columns.size() > kMaskColumns || !table.columns.front().key) {
        throw std::invalid_argument("update of a table a mask cannot describe");
    }
    RowRecord record;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const bool changed = before[i] != after[i];
        if (changed) record.mask |= static_cast<std::uint16_t>(1u << i);
        if (changed || table.columns[i].key) record.cells.push_back(after[i]);
    }
    RefuseStreams(record.cells);
    return record;
}

Column CatalogColumn(const wchar_t* name, const wchar_t* type, bool key) { return Column{name, type, key}; }

} // namespace

std::vector<RowRecord> TableDifference(const Table& before, const Table& after) {
    if (before.columns != after.columns) throw std::invalid_argument("the table's columns differ");
    if (after.columns.empty() || after.columns.size() > 255) throw std::invalid_argument("unsupported column count");
    const auto beforeRows = RowsByKey(before);
    const auto afterRows = RowsByKey(after);

    std::vector<RowRecord> records;
    for (const auto& row : before.rows) {
        Row key = KeyCells(before, row);
        if (!afterRows.contains(key)) records.push_back(RowRecord{0, std::move(key)});
    }
    for (const auto& row : after.rows) {
        const auto old = beforeRows.find(KeyCells(after, row));
        if (old == beforeRows.end()) {
            records.push_back(Insertion(row));
        } else if (*old->second != row) {
            records.push_back(Update(after, *old->second, row));
        }
    }
    return records;
}

Table EmptyTablesCatalog() { return Table{L"_Tables", {CatalogColumn(L"Name", L"s64", true)}, {}}; }

Table EmptyColumnsCatalog() {
    return Table{L"_Columns",
                 {CatalogColumn(L"Table", L"s64", true), CatalogColumn(L"Number", L"i2", true),
                  CatalogColumn(L"Name", L"s64", false), CatalogColumn(L"Type", L"i2", false)},
                 {}};
}

Table TablesCatalogRows(const Table& added) {
    Table catalog = EmptyTablesCatalog();
    catalog.rows.push_back({added.name});
    return catalog;
}

Table ColumnsCatalogRows(const Table& added) {
    Table catalog = EmptyColumnsCatalog();
    for (std::size_t i = 0; i < added.columns.size(); ++i) {
        const auto& column = added.columns[i];
        catalog.rows.push_back(
            {added.name, static_cast<std::int32_t>(i + 1), column.name, static_cast<std::int32_t>(ColumnTypeCode(column))});
    }
    return catalog;
}

} // namespace orvh::msp
