// Version numbers: the canonical and the display form, the conversion's errors, the order.
#include "rows.h"
#include "fakes.h"
#include "installer/version.h"
#include "system/platform_error.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

// The form, or "error N description".
std::wstring Formatted(const std::wstring& version, bool fourGroups) {
    try {
        return FormatVersion(version, fourGroups, test::FakeConversions());
    } catch (const PlatformError& e) {
        return L"error " + std::to_wstring(e.Number()) + L" " + e.Description();
    }
}

TEST(Version, FormsAndErrors) {
    const std::wstring mismatch = L"error 13 Tipo non corrispondente", overflow = L"error 6 Overflow";
    const std::tuple<std::wstring, bool, std::wstring> rows[] = {
        {L"0001.0004.0000.0155", true, L"0001.0004.0000.0155"}, {L"0001.0004.0000.0155", false, L"1.4.155"},
        {L"1.9.155", true, L"0001.0009.0000.0155"}, {L"01.09.0155", false, L"1.9.155"},
        {L"12345.1.2", true, L"12345.0001.0000.0002"}, {L"1.2.12345.4", true, L"0001.0002.12345.0004"},
        {L" 1.2.3", true, L"0001.0002.0000.0003"}, {L"+1.-2.3", true, L"0001.-0002.0000.0003"},
        {L"1.2.3.5e1", true, L"0001.0002.0003.0050"},
        {L"2147483647.0.0", true, L"2147483647.0000.0000.0000"}, {L"-2147483648.0.0", false, L"-2147483648.0.0"},
        {L"1.2.abc.4", false, L"1.2.4"}, {L"1.2.abc.4", true, mismatch},
        {L"1.2", true, L"1.2"}, {L"1.2.3.4.5", false, L"1.2.3.4.5"}, {L"", true, L""},
        {L"1..3", false, mismatch}, {L"1.2.3.", true, mismatch}, {L"1.x.4294967296", true, mismatch},
        {L"2147483648.0.0", true, overflow}, {L"1.-2147483649.0", false, overflow},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [version, fourGroups, expected] = row;
        EXPECT_EQ(Formatted(version, fourGroups), expected);
    });
}

TEST(Version, OrderIsTextOrderByCodeUnit) {
    const std::pair<std::wstring, std::wstring> newerOlder[] = {
        {L"0001.0002.0000.0000", L"0001.0001.0000.0700"}, {L"0", L""}, {L"009", L"0010"}, {L"a", L"B"}};
    test::ForEachRow(newerOlder, [&](const auto& row) {
        const auto& [newer, older] = row;
        EXPECT_TRUE(VersionGreater(newer, older));
        EXPECT_FALSE(VersionGreater(older, newer));
        EXPECT_FALSE(VersionGreater(newer, newer));
    });
}

TEST(Version, CanonicalFormIsFourGroupsOfFourDigits) {
    const std::pair<std::wstring, bool> rows[] = {{L"0009.0019.0000.0999", true}, {L"1.2.0.0", false},
                                                  {L"0001.0002.0000", false}, {L"0001.0002.0000.00a0", false}};
    test::ForEachRow(rows, [&](const auto& row) { EXPECT_EQ(IsCanonicalVersion(row.first), row.second); });
}

} // namespace
} // namespace orvh
