// The update folder: its path expanded, the folder named or the program's own, its sub-folders.
#include "main/update_folders.h"
#include "common/expand_path.h"
#include "fakes.h"
#include "rows.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using Log = std::vector<std::wstring>;

TEST(UpdateFolders, PathsAreExpandedThenLoseOneTrailingBackslash) {
    // The path, what the platform's expansion gives (nullopt: it failed), the result.
    const std::tuple<std::wstring, std::optional<std::wstring>, std::wstring> rows[] = {
        {L"%V%\\sub\\", L"C:\\Value\\sub\\", L"C:\\Value\\sub"}, {L"C:\\Upd\\\\", L"C:\\Upd\\\\", L"C:\\Upd\\"},
        {L"%V%\\sub\\", std::nullopt, L"%V%\\sub"}, {L"", L"", L""}};
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [path, expansion, expected] = row;
        EXPECT_EQ(ExpandPath(path, [&](std::wstring_view) { return expansion; }), expected);
    });
}

TEST(UpdateFolders, TheFolderNamedIfItExistsElseTheProgramsOwn) {
    const auto expand = [](std::wstring_view text) { return std::optional<std::wstring>(text == L"%U%" ? L"D:" : text); };
    const Log own = {L"mkdir C:\\Orvane\\Vecchio", L"mkdir C:\\Orvane\\Corrente", L"mkdir C:\\Orvane\\Nuovo",
                     L"mkdir C:\\Orvane\\Setup"};
    // The switch's value, a link standing there (to E:\\Elsewhere); the sub-folders created (Vecchio,
    // Corrente, Nuovo, Setup), whether the link is named and the run changes nothing. D:\\Linked is a
    // link an administrator made to D:\\Upd.
    const std::tuple<std::wstring, std::wstring, Log, bool> rows[] = {
        {L"", L"", own, false},
        {L"d:\\upd\\", L"", {L"mkdir d:\\upd\\Vecchio", L"mkdir d:\\upd\\Nuovo"}, false},
        {L"D:\\Missing", L"", own, false},
        {L"%U%", L"", {L"mkdir D:\\Vecchio", L"mkdir D:\\Corrente", L"mkdir D:\\Nuovo", L"mkdir D:\\Setup"}, false},
        {L"D:\\Linked", L"", {L"mkdir D:\\Upd\\Vecchio", L"mkdir D:\\Upd\\Nuovo"}, false},
        // A link among the sub-folders, existing or where one is missing: nothing is made.
        {L"D:\\Upd", L"D:\\Upd\\Setup", {}, true},
        {L"D:\\Linked", L"D:\\Upd\\Corrente", {}, true},
        // Deeper down a link is the business of what uses it.
        {L"D:\\Upd", L"D:\\Upd\\Corrente\\Inside", {L"mkdir D:\\Upd\\Vecchio", L"mkdir D:\\Upd\\Nuovo"}, false},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [value, link, made, stops] = row;
        test::FakeFileSystem fs;
        test::FakeFolderAccess access;
        access.finalPaths[L"D:\\Linked"] = L"D:\\Upd";
        for (const auto* f : {L"C:\\Orvane", L"D:", L"D:\\Upd", L"D:\\Linked", L"D:\\Upd\\Corrente", L"D:\\Upd\\Setup", L"%U%"}) {
            fs.AddFolder(f);
        }
        if (!link.empty()) fs.AddLink(link, L"E:\\Elsewhere");
        const UpdateFolders folders = PrepareUpdateFolders(value, L"C:\\Orvane", fs, access, expand);
        EXPECT_EQ(fs.log, made);
        const std::vector<FolderLink> named{{link, L"E:\\Elsewhere"}};
        EXPECT_EQ(folders.links, stops ? named : std::vector<FolderLink>{});
    });
}

} // namespace
} // namespace orvh
