#include "table_model.h"

#include <stdexcept>
#include <string>

namespace orvh::msp {
namespace {

// Bits of a _Columns type code.
constexpr std::uint16_t kValid = 0x0100;
constexpr std::uint16_t kLocalizable = 0x0200;
constexpr std::uint16_t kFixedText = 0x0400;  // also set on 16-bit integers
constexpr std::uint16_t kString = 0x0800;
constexpr std::uint16_t kNullable = 0x1000;
constexpr std::uint16_t kKey = 0x2000;

unsigned TypeSize(const Column& column) {
    const std::wstring size = column.type.substr(1);
    if (size.empty() || size.find_first_not_of(L"0123456789") != std::wstring::npos || size.size() > 3) {
        throw std::invalid_argument("unknown column type");
    }
    return static_cast<unsigned>(std::stoul(size));
}

} // namespace

ColumnKind KindOf(const Column& column) {
    if (column.type.empty()) throw std::invalid_argument("unknown column type");
    switch (column.type[0]) {
    case L's': case L'S': case L'l': case L'L':
        if (TypeSize(column) > 255) throw std::invalid_argument("unknown column type");
        return ColumnKind::String;
    case L'i': case L'I':
        if (TypeSize(column) == 2) return ColumnKind::ShortInteger;
        if (TypeSize(column) == 4) return ColumnKind::LongInteger;
        break;
    case L'v': case L'V':
        return ColumnKind::Stream;
    default:
        break;
    }
    throw std::invalid_argument("unknown column type");
}

std::uint16_t ColumnTypeCode(const Column& column) {
    std::uint16_t code = kValid;
    switch (KindOf(column)) {
    case ColumnKind::String:
        code |= kString | kFixedText | static_cast<std::uint16_t>(TypeSize(column));
        if (column.type[0] == L'l' || column.type[0] == L'L') code |= kLocalizable;
        break;
    case ColumnKind::ShortInteger: code |= kFixedText | 2; break;
    case ColumnKind::LongInteger: code |= 4; break;
    case ColumnKind::Stream: code |= kString; break;
    }
    if (column.type[0] >= L'A' && column.type[0] <= L'Z') code |= kNullable;
    if (column.key) code |= kKey;
    return code;
}

std::size_t ColumnIndex(const Table& table, std::wstring_view name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].name == name) return i;
    }
    throw std::out_of_range("no such column");
}

std::wstring PropertyValue(const Tables& tables, std::wstring_view property) {
    const auto found = tables.find(L"Property");
    if (found == tables.end()) throw std::out_of_range("no Property table");
    const std::size_t name = ColumnIndex(found->second, L"Property");
    const std::size_t value = ColumnIndex(found->second, L"Value");
    for (const auto& row : found->second.rows) {
        const auto* text = std::get_if<std::wstring>(&row[name]);
        if (text && *text == property) {
            const auto* content = std::get_if<std::wstring>(&row[value]);
            return content ? *content : std::wstring();
        }
    }
    throw std::out_of_range("no such property");
}

} // namespace orvh::msp
