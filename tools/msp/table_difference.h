#pragma once
// Row differences between two versions of a table, as a transform records them: each
// record starts with a 16-bit mask.
//   0                      delete the row with these key cells
//   (n << 8) | 1           insert a row: the first n cells follow
//   even, not 0            update: the key cells and the cells of the columns whose bit
//                          is set (bit i for column i) follow
#include "table_model.h"

#include <cstdint>
#include <vector>

namespace orvh::msp {

struct RowRecord {
    std::uint16_t mask = 0;
    std::vector<Cell> cells;  // the cells present, in column order
    bool operator==(const RowRecord&) const = default;
};

// Records that turn `before` into `after`: deletions in `before`'s row order, then
// insertions and updates in `after`'s. Rows are matched by their key cells. Throws
// std::invalid_argument when the columns differ, when an update cannot be written as a
// mask (more than 16 columns, or a first column that is no key) or when a stream cell
// would have to be carried.
std::vector<RowRecord> TableDifference(const Table& before, const Table& after);

// The rows of _Tables and _Columns that declare a table a transform adds.
Table TablesCatalogRows(const Table& added);
Table ColumnsCatalogRows(const Table& added);

// The two catalog tables themselves, without rows.
Table EmptyTablesCatalog();
Table EmptyColumnsCatalog();

} // namespace orvh::msp
