// Path expansion: environment references expanded, one trailing backslash removed.
#include "main/expand_path.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

TEST(ExpandPath, ExpandsThenRemovesOneTrailingBackslash) {
    const struct {
        std::wstring path;
        std::optional<std::wstring> expansion;  // nullopt: the platform's expansion failed
        std::wstring expected;
    } rows[] = {
        {L"%V%\\sub\\", L"C:\\Value\\sub\\", L"C:\\Value\\sub"},
        {L"C:\\Upd\\\\", L"C:\\Upd\\\\", L"C:\\Upd\\"},
        {L"%ROOT%", L"D:\\", L"D:"},
        {L"%V%\\sub\\", std::nullopt, L"%V%\\sub"},
        {L"", L"", L""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::wstring asked;
        const auto expand = [&](std::wstring_view text) {
            asked = text;
            return rows[i].expansion;
        };
        EXPECT_EQ(test::Narrow(ExpandPath(rows[i].path, expand)), test::Narrow(rows[i].expected)) << "row " << i;
        EXPECT_EQ(test::Narrow(asked), test::Narrow(rows[i].path)) << "row " << i;
    }
}

} // namespace
} // namespace orvh
