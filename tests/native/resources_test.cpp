// The names of resources: integer ids and res: addresses.
#include "resources/resource_names.h"
#include "rows.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

TEST(Resources, IntegerIdsRunFrom1To65535) {
    const std::pair<std::int32_t, std::optional<std::uint16_t>> rows[] = {
        {1, 1}, {65535, 65535}, {0, std::nullopt}, {65536, std::nullopt}, {-1, std::nullopt}};
    test::ForEachRow(rows, [&](const auto& row) {
        EXPECT_EQ(IntegerResourceId(row.first), row.second);
    });
}

TEST(Resources, ResUrlOfAModuleTypeAndId) {
    const std::wstring dll = L"C:\\res.dll", name256 = L"C:\\" + std::wstring(253, L'a');
    const std::tuple<std::wstring, std::int16_t, std::wstring, std::wstring> rows[] = {
        {dll, 101, L"  MY TYPE   ", L"RES://C:\\res.dll/MY TYPE/101"},
        {dll, 101, L"\tHTML\t", L"RES://C:\\res.dll/\tHTML\t/101"},
        {dll, -32768, L"   ", L"RES://C:\\res.dll//-32768"},
        {L"", 101, L"HTML", L""},
        {name256, 5, L"X", L"RES://" + name256 + L"/X/5"},
        {name256 + L"b", 5, L"X", L""},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [name, index, type, expected] = row;
        EXPECT_EQ(ResourceUrl(name, index, type), expected);
    });
}

} // namespace
} // namespace orvh
