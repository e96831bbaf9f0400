#include "transform_content.h"

#include "stream_name.h"
#include "table_difference.h"

#include <stdexcept>

namespace orvh::msp {
namespace {

void AddTableStream(std::vector<NamedStream>& streams, const Table& table, const std::vector<RowRecord>& records,
                    StringPool& strings, const TransformText& text) {
    if (records.empty()) return;
    streams.push_back(NamedStream{EncodeStreamName(table.name, StreamKind::Table),
                                  TableStream(table.columns, records, strings, text.encode)});
}

} // namespace

std::vector<NamedStream> TransformStreams(const Tables& before, const Tables& after,
                                          const std::set<std::wstring>& leftOut, const TransformText& text,
                                          const std::vector<SummaryProperty>& summary) {
    for (const auto& [name, table] : before) {
        if (!after.contains(name) && !leftOut.contains(name)) throw std::invalid_argument("a table would be dropped");
    }
    StringPool strings(text.codepage);
    std::vector<NamedStream> streams;
    Table tablesCatalog = EmptyTablesCatalog();
    Table columnsCatalog = EmptyColumnsCatalog();
    for (const auto& [name, table] : after) {
        if (leftOut.contains(name)) continue;
        const auto old = before.find(name);
        if (old != before.end()) {
            AddTableStream(streams, table, TableDifference(old->second, table), strings, text);
            continue;
        }
        const Table added = TablesCatalogRows(table);
        const Table columns = ColumnsCatalogRows(table);
        tablesCatalog.rows.insert(tablesCatalog.rows.end(), added.rows.begin(), added.rows.end());
        columnsCatalog.rows.insert(columnsCatalog.rows.end(), columns.rows.begin(), columns.rows.end());
        AddTableStream(streams, table, TableDifference(Table{name, table.columns, {}}, table), strings, text);
    }
    AddTableStream(streams, tablesCatalog, TableDifference(EmptyTablesCatalog(), tablesCatalog), strings, text);
    AddTableStream(streams, columnsCatalog, TableDifference(EmptyColumnsCatalog(), columnsCatalog), strings, text);
    streams.push_back(NamedStream{EncodeStreamName(L"_StringPool", StreamKind::Table), strings.PoolStream()});
    streams.push_back(NamedStream{EncodeStreamName(L"_StringData", StreamKind::Table), strings.DataStream()});
    streams.push_back(NamedStream{kSummaryStreamName, SummaryInformationStream(summary)});
    return streams;
}

} // namespace orvh::msp
