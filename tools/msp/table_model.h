#pragma once
// Tables of an installer database as the patch builder compares them: columns with the
// installer's type text ("s72", "I2", "L64", "v0"...), rows of cells.
#include "bytes.h"

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace orvh::msp {

// The content of a binary (stream) cell, compared by value.
struct StreamContent {
    Bytes data;
    auto operator<=>(const StreamContent&) const = default;
};

// Null, integer, string or stream.
using Cell = std::variant<std::monostate, std::int32_t, std::wstring, StreamContent>;
using Row = std::vector<Cell>;

struct Column {
    std::wstring name;
    std::wstring type;  // as the installer reports it: letter (upper case = nullable) and size
    bool key = false;
    bool operator==(const Column&) const = default;
};

enum class ColumnKind { String, ShortInteger, LongInteger, Stream };

// What a column's cells are; throws std::invalid_argument for a type text it does not know.
ColumnKind KindOf(const Column& column);

// The column's type as the _Columns table stores it.
std::uint16_t ColumnTypeCode(const Column& column);

struct Table {
    std::wstring name;
    std::vector<Column> columns;
    std::vector<Row> rows;
};

// A database's tables by name.
using Tables = std::map<std::wstring, Table>;

// Index of a named column; throws std::out_of_range when the table has none.
std::size_t ColumnIndex(const Table& table, std::wstring_view name);

// Value of a row of the Property table; throws std::out_of_range when it is missing.
std::wstring PropertyValue(const Tables& tables, std::wstring_view property);

} // namespace orvh::msp
