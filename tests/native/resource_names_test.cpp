// Integer resource ids, numbered names and res-protocol addresses.
#include "resources/resource_names.h"

#include <gtest/gtest.h>

#include <string>

namespace orvh {
namespace {

TEST(IntegerResourceId, RunsFrom1To65535) {
    const struct {
        std::int32_t id;
        std::optional<std::uint16_t> expected;
    } cases[] = {{1, 1}, {101, 101}, {65535, 65535}, {0, std::nullopt}, {65536, std::nullopt},
                 {65536 + 101, std::nullopt}, {-1, std::nullopt}, {-101, std::nullopt}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(IntegerResourceId(c.id), c.expected);
    }
}

TEST(NumberedResourceName, IsHashAndDecimalId) {
    EXPECT_EQ(NumberedResourceName(101), L"#101");
    EXPECT_EQ(NumberedResourceName(7), L"#7");
}

struct UrlCase {
    const char* name;
    std::wstring dllName;
    std::int16_t index;
    const wchar_t* resFormat;
    std::wstring expected;
};

void PrintTo(const UrlCase& c, std::ostream* os) { *os << c.name; }

class ResourceUrlCases : public testing::TestWithParam<UrlCase> {};

TEST_P(ResourceUrlCases, FormsTheAddress) {
    const auto& c = GetParam();
    EXPECT_EQ(ResourceUrl(c.dllName, c.index, c.resFormat), c.expected);
}

const std::wstring kDll = L"C:\\Orvane\\res.dll";
// "C:\" and a name of 253 letters: 256 characters in all.
const std::wstring k256 = L"C:\\" + std::wstring(253, L'a');

INSTANTIATE_TEST_SUITE_P(
    Addresses, ResourceUrlCases,
    testing::Values(
        UrlCase{"plain", kDll, 101, L"HTML", L"RES://C:\\Orvane\\res.dll/HTML/101"},
        UrlCase{"leading_and_trailing_spaces", kDll, 101, L"  HTML   ", L"RES://C:\\Orvane\\res.dll/HTML/101"},
        UrlCase{"inner_spaces_kept", kDll, 101, L" MY TYPE ", L"RES://C:\\Orvane\\res.dll/MY TYPE/101"},
        // Only spaces are trimmed.
        UrlCase{"tabs_kept", kDll, 101, L"\tHTML\t", L"RES://C:\\Orvane\\res.dll/\tHTML\t/101"},
        UrlCase{"empty_type", kDll, 101, L"", L"RES://C:\\Orvane\\res.dll//101"},
        UrlCase{"spaces_only_type", kDll, 101, L"   ", L"RES://C:\\Orvane\\res.dll//101"},
        UrlCase{"negative_id", kDll, -1, L"HTML", L"RES://C:\\Orvane\\res.dll/HTML/-1"},
        UrlCase{"largest_id", kDll, 32767, L"HTML", L"RES://C:\\Orvane\\res.dll/HTML/32767"},
        UrlCase{"smallest_id", kDll, -32768, L"HTML", L"RES://C:\\Orvane\\res.dll/HTML/-32768"},
        UrlCase{"no_module", L"", 101, L"HTML", L""},
        UrlCase{"name_of_256", k256, 5, L"X", L"RES://" + k256 + L"/X/5"},
        UrlCase{"name_of_257", k256 + L"b", 5, L"X", L""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvh
