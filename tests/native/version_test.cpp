// Version numbers: the canonical and the display form, the conversion's errors, the order.
#include "fakes.h"
#include "installer/version.h"
#include "system/platform_error.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

// The form, or "error N description".
std::string Formatted(const std::wstring& version, bool fourGroups) {
    try {
        return test::Narrow(FormatVersion(version, fourGroups, test::FakeConversions()));
    } catch (const PlatformError& e) {
        return "error " + std::to_string(e.Number()) + " " + test::Narrow(e.Description());
    }
}

TEST(Version, FormsAndErrors) {
    const std::string mismatch = "error 13 Tipo non corrispondente", overflow = "error 6 Overflow";
    const std::tuple<std::wstring, bool, std::string> rows[] = {
        {L"0001.0004.0000.0155", true, "0001.0004.0000.0155"}, {L"0001.0004.0000.0155", false, "1.4.155"},
        {L"1.9.155", true, "0001.0009.0000.0155"}, {L"01.09.0155", false, "1.9.155"},
        {L"12345.1.2", true, "12345.0001.0000.0002"}, {L"1.2.12345.4", true, "0001.0002.12345.0004"},
        {L" 1.2.3", true, "0001.0002.0000.0003"}, {L"+1.-2.3", true, "0001.-0002.0000.0003"},
        {L"1.2.3.5e1", true, "0001.0002.0003.0050"},
        {L"2147483647.0.0", true, "2147483647.0000.0000.0000"}, {L"-2147483648.0.0", false, "-2147483648.0.0"},
        {L"1.2.abc.4", false, "1.2.4"}, {L"1.2.abc.4", true, mismatch},
        {L"1.2", true, "1.2"}, {L"1.2.3.4.5", false, "1.2.3.4.5"}, {L"", true, ""},
        {L"1..3", false, mismatch}, {L"1.2.3.", true, mismatch}, {L"1.x.4294967296", true, mismatch},
        {L"2147483648.0.0", true, overflow}, {L"1.-2147483649.0", false, overflow},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [version, fourGroups, expected] = rows[i];
        EXPECT_EQ(Formatted(version, fourGroups), expected) << "row " << i;
    }
}

TEST(Version, OrderIsTextOrderByCodeUnit) {
    const std::pair<std::wstring, std::wstring> newerOlder[] = {
        {L"0001.0002.0000.0000", L"0001.0001.0000.0700"}, {L"0", L""}, {L"009", L"0010"}, {L"a", L"B"}};
    for (std::size_t i = 0; i < std::size(newerOlder); ++i) {
        const auto& [newer, older] = newerOlder[i];
        EXPECT_TRUE(VersionGreater(newer, older)) << "row " << i;
        EXPECT_FALSE(VersionGreater(older, newer)) << "row " << i;
        EXPECT_FALSE(VersionGreater(newer, newer)) << "row " << i;
    }
}

} // namespace
} // namespace orvh
