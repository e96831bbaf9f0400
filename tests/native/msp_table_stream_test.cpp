#include "msp/table_stream.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orvh::msp {
namespace {

std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

const std::vector<Column> kMedia{{L"DiskId", L"i2", true},       {L"LastSequence", L"i4", false},
                                 {L"DiskPrompt", L"L64", false}, {L"Cabinet", L"S255", false},
                                 {L"VolumeLabel", L"S32", false}, {L"Source", L"S72", false}};

TEST(TableStream, InsertionWritesEveryCellInItsStoredForm) {
    StringPool strings(0);
    const Bytes stream = TableStream(
        kMedia, {RowRecord{0x0601, {2, 5, std::monostate{}, L"#patch.cab", std::monostate{}, L"PATCHMediaSrcProp"}}},
        strings, Narrow);
    EXPECT_EQ(stream, (Bytes{0x01, 0x06,              // mask: 6 cells
                             0x02, 0x80,              // DiskId 2 + 0x8000
                             0x05, 0x00, 0x00, 0x80,  // LastSequence 5, top bit flipped
                             0x00, 0x00,              // null prompt
                             0x01, 0x00,              // string 1
                             0x00, 0x00,              // null label
                             0x02, 0x00}));           // string 2
    EXPECT_EQ(strings.DataStream(), (Bytes{'#', 'p', 'a', 't', 'c', 'h', '.', 'c', 'a', 'b', 'P', 'A', 'T', 'C', 'H', 'M',
                                           'e', 'd', 'i', 'a', 'S', 'r', 'c', 'P', 'r', 'o', 'p'}));
}

TEST(TableStream, NegativeIntegersKeepTheirOffset) {
    StringPool strings(0);
    const std::vector<Column> columns{{L"Short", L"i2", true}, {L"Long", L"I4", false}};
    EXPECT_EQ(TableStream(columns, {RowRecord{0x0201, {-1, -1}}}, strings, Narrow),
              (Bytes{0x01, 0x02, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(TableStream, UpdateAndDeletionWriteKeysAndMarkedColumns) {
    StringPool strings(0);
    const Bytes stream = TableStream(kMedia, {RowRecord{1 << 1, {1, 9}}, RowRecord{0, {3}}}, strings, Narrow);
    EXPECT_EQ(stream, (Bytes{0x02, 0x00, 0x01, 0x80, 0x09, 0x00, 0x00, 0x80,  // DiskId 1: LastSequence 9
                             0x00, 0x00, 0x03, 0x80}));                      // delete DiskId 3
}

TEST(TableStream, RefusesCellsThatDoNotFit) {
    StringPool strings(0);
    const std::vector<Column> columns{{L"Key", L"i2", true}, {L"Name", L"s72", false}};
    EXPECT_THROW(TableStream(columns, {RowRecord{0x0201, {40000, L"a"}}}, strings, Narrow), std::invalid_argument);
    EXPECT_THROW(TableStream(columns, {RowRecord{0x0201, {1, 2}}}, strings, Narrow), std::invalid_argument);
    EXPECT_THROW(TableStream(columns, {RowRecord{0x0201, {1}}}, strings, Narrow), std::invalid_argument);
    EXPECT_THROW(TableStream(columns, {RowRecord{0x0101, {1, L"a"}}}, strings, Narrow), std::invalid_argument);
    const std::vector<Column> longColumn{{L"Key", L"i4", true}};
    EXPECT_THROW(TableStream(longColumn, {RowRecord{0x0101, {std::numeric_limits<std::int32_t>::min()}}}, strings,
                             Narrow),
                 std::invalid_argument);
}

} // namespace
} // namespace orvh::msp
