// Path expansion: environment references expanded, one trailing backslash removed.
#include "main/expand_path.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

TEST(ExpandPath, ExpandsThenRemovesOneTrailingBackslash) {
    // The path, what the platform's expansion gives (nullopt: it failed), the result.
    const std::tuple<std::wstring, std::optional<std::wstring>, std::wstring> rows[] = {
        {L"%V%\\sub\\", L"C:\\Value\\sub\\", L"C:\\Value\\sub"}, {L"C:\\Upd\\\\", L"C:\\Upd\\\\", L"C:\\Upd\\"},
        {L"%ROOT%", L"D:\\", L"D:"}, {L"%V%\\sub\\", std::nullopt, L"%V%\\sub"}, {L"", L"", L""}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& [path, expansion, expected] = rows[i];
        std::wstring asked;
        const auto expand = [&](std::wstring_view text) {
            asked = text;
            return expansion;
        };
        EXPECT_EQ(ExpandPath(path, expand), expected) << "row " << i;
        EXPECT_EQ(asked, path) << "row " << i;
    }
}

} // namespace
} // namespace orvh
