#include "table_stream.h"

#include <limits>
#include <stdexcept>

namespace orvh::msp {
namespace {

constexpr std::int32_t kShortMin = -0x7FFF;
constexpr std::int32_t kShortMax = 0x7FFF;

void AppendCell(Bytes& out, const Column& column, const Cell& cell, StringPool& strings, const TextEncoder& encode) {
    const bool null = std::holds_alternative<std::monostate>(cell);
    switch (KindOf(column)) {
    case ColumnKind::String:
        if (!null && !std::holds_alternative<std::wstring>(cell)) throw std::invalid_argument("string column");
        AppendUint16(out, null ? 0 : static_cast<std::uint16_t>(strings.Reference(encode(std::get<std::wstring>(cell)))));
        return;
    case ColumnKind::ShortInteger: {
        if (null) return AppendUint16(out, 0);
        const auto* value = std::get_if<std::int32_t>(&cell);
        if (!value || *value < kShortMin || *value > kShortMax) throw std::invalid_argument("16-bit integer column");
        return AppendUint16(out, static_cast<std::uint16_t>(*value + 0x8000));
    }
    case ColumnKind::LongInteger: {
        if (null) return AppendUint32(out, 0);
        const auto* value = std::get_if<std::int32_t>(&cell);
        // The lowest value would read back as null.
        if (!value || *value == std::numeric_limits<std::int32_t>::min()) {
            throw std::invalid_argument("32-bit integer column");
        }
        return AppendUint32(out, static_cast<std::uint32_t>(*value) ^ 0x80000000u);
    }
    case ColumnKind::Stream:
        break;
    }
    throw std::invalid_argument("stream column");
}

} // namespace

Bytes TableStream(const std::vector<Column>& columns, const std::vector<RowRecord>& records, StringPool& strings,
                  const TextEncoder& encode) {
    Bytes out;
    for (const auto& record : records) {
        AppendUint16(out, record.mask);
        std::size_t next = 0;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const bool present = (record.mask & 1) ? i < (record.mask >> 8u)
                                                   : columns[i].key || (record.mask & (1u << i)) != 0;
            if (!present) continue;
            if (next == record.cells.size()) throw std::invalid_argument("record cells do not match its mask");
            AppendCell(out, columns[i], record.cells[next++], strings, encode);
        }
        if (next != record.cells.size()) throw std::invalid_argument("record cells do not match its mask");
    }
    return out;
}

} // namespace orvh::msp
