#include "common/expand_path.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace orvh {
namespace {

struct PathCase {
    const char* name;
    std::wstring path;
    std::optional<std::wstring> expansion;  // what the platform's expansion gives; nullopt: it failed
    std::wstring expected;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

class ExpandPathRule : public testing::TestWithParam<PathCase> {};

TEST_P(ExpandPathRule, ExpandsAndRemovesOneTrailingBackslash) {
    const auto& c = GetParam();
    std::vector<std::wstring> asked;
    const EnvironmentExpander expander = [&](std::wstring_view text) {
        asked.emplace_back(text);
        return c.expansion;
    };
    EXPECT_EQ(ExpandPath(c.path, expander), c.expected);
    EXPECT_EQ(asked, std::vector<std::wstring>{c.path});
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExpandPathRule,
    testing::Values(
        PathCase{"ExpandedTrailingBackslashRemoved", L"%V%\\sub\\", L"C:\\Value\\sub\\", L"C:\\Value\\sub"},
        PathCase{"NoTrailingBackslashUnchanged", L"C:\\Upd", L"C:\\Upd", L"C:\\Upd"},
        PathCase{"TwoTrailingBackslashesKeepOne", L"C:\\Upd\\\\", L"C:\\Upd\\\\", L"C:\\Upd\\"},
        PathCase{"DriveRootBecomesDriveRelative", L"C:\\", L"C:\\", L"C:"},
        PathCase{"ExpansionEndingInBackslash", L"%ROOT%", L"D:\\", L"D:"},
        PathCase{"Empty", L"", L"", L""},
        PathCase{"FailedExpansionKeepsPathLessOneBackslash", L"%V%\\sub\\\\", std::nullopt, L"%V%\\sub\\"},
        PathCase{"FailedExpansionOfEmptyPath", L"", std::nullopt, L""}),
    [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace orvh
