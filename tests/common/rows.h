#pragma once
// A table's rows, each checked under its label "row N", so that a failure names its row.
#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <type_traits>

namespace orvh::test {

// `check(row)`, or `check(row, N)` where the row's number matters to it.
template <typename Rows, typename Check>
void ForEachRow(const Rows& rows, Check check) {
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        if constexpr (std::is_invocable_v<Check, decltype(rows[i]), std::size_t>) {
            check(rows[i], i);
        } else {
            check(rows[i]);
        }
    }
}

} // namespace orvh::test
