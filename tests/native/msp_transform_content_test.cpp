#include "msp/transform_content.h"

#include "msp/stream_name.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace orvh::msp {
namespace {

using testing::ElementsAre;

std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

const TransformText kText{0, Narrow};

Table Properties(std::vector<Row> rows) {
    return Table{L"Property", {{L"Property", L"s72", true}, {L"Value", L"l0", false}}, std::move(rows)};
}

std::vector<std::wstring> Names(const std::vector<NamedStream>& streams) {
    std::vector<std::wstring> names;
    for (const auto& stream : streams) names.push_back(stream.name);
    return names;
}

const NamedStream& Named(const std::vector<NamedStream>& streams, const std::wstring& name) {
    for (const auto& stream : streams) {
        if (stream.name == name) return stream;
    }
    throw std::out_of_range("no such stream");
}

std::wstring TableStreamName(const wchar_t* name) { return EncodeStreamName(name, StreamKind::Table); }

TEST(TransformStreams, ChangedTablesTheStringPoolAndTheSummary) {
    Tables before;
    before.emplace(L"Property", Properties({{L"ProductVersion", L"1.2.0"}}));
    before.emplace(L"Registry", Table{L"Registry", {{L"Registry", L"s72", true}}, {}});
    Tables after = before;
    after.at(L"Property").rows[0][1] = L"1.2.100";

    const auto streams = TransformStreams(before, after, {}, kText, {{kTitle, std::string("Transform")}});

    EXPECT_THAT(Names(streams), ElementsAre(TableStreamName(L"Property"), TableStreamName(L"_StringPool"),
                                            TableStreamName(L"_StringData"), kSummaryStreamName));
    EXPECT_EQ(Named(streams, TableStreamName(L"Property")).data, (Bytes{0x02, 0x00, 0x01, 0x00, 0x02, 0x00}));
    const Bytes& data = Named(streams, TableStreamName(L"_StringData")).data;
    EXPECT_EQ(std::string(data.begin(), data.end()), "ProductVersion1.2.100");
}

TEST(TransformStreams, AddedTableIsDeclaredInTheCatalogs) {
    Tables before;
    Tables after;
    after.emplace(L"PatchPackage",
                  Table{L"PatchPackage", {{L"PatchId", L"s38", true}, {L"Media_", L"i2", false}}, {{L"{P}", 2}}});

    const auto streams = TransformStreams(before, after, {}, kText, {});

    EXPECT_THAT(Names(streams), ElementsAre(TableStreamName(L"PatchPackage"), TableStreamName(L"_Tables"),
                                            TableStreamName(L"_Columns"), TableStreamName(L"_StringPool"),
                                            TableStreamName(L"_StringData"), kSummaryStreamName));
    // Strings in the order first used: {P}, PatchPackage, PatchId, Media_.
    EXPECT_EQ(Named(streams, TableStreamName(L"_Tables")).data, (Bytes{0x01, 0x01, 0x02, 0x00}));
    EXPECT_EQ(Named(streams, TableStreamName(L"_Columns")).data,
              (Bytes{0x01, 0x04, 0x02, 0x00, 0x01, 0x80, 0x03, 0x00, 0x26, 0xAD,
                     0x01, 0x04, 0x02, 0x00, 0x02, 0x80, 0x04, 0x00, 0x02, 0x85}));
}

TEST(TransformStreams, LeftOutTablesAreNotWrittenAndDroppedOnesRefused) {
    Tables before;
    before.emplace(L"Media", Table{L"Media", {{L"DiskId", L"i2", true}}, {{1}}});
    Tables after;
    after.emplace(L"Media", Table{L"Media", {{L"DiskId", L"i2", true}}, {{1}, {2}}});

    EXPECT_THAT(Names(TransformStreams(before, after, {L"Media"}, kText, {})),
                ElementsAre(TableStreamName(L"_StringPool"), TableStreamName(L"_StringData"), kSummaryStreamName));
    EXPECT_THROW(TransformStreams(before, Tables{}, {}, kText, {}), std::invalid_argument);
    EXPECT_NO_THROW(TransformStreams(before, Tables{}, {L"Media"}, kText, {}));
}

} // namespace
} // namespace orvh::msp
