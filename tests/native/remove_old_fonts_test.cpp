// Which obsolete font files go for which installed version; the first refusal ends it.
#include "rows.h"
#include "fonts/remove_old_fonts.h"

#include "fakes.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using Names = std::vector<std::wstring>;

TEST(RemoveOldFonts, WhichFilesGoForWhichVersion) {
    const Names ms = {L"ORVH MS.TTF", L"ORVH MS Grassetto.TTF", L"ORVH MS Corsivo.TTF", L"ORVH MS Grassetto Corsivo.TTF",
                      L"ORVH MS Zero.TTF", L"ORVH MS Zero Grassetto.TTF", L"ORVH MS Zero Corsivo.TTF",
                      L"ORVH MS Zero Grassetto Corsivo.TTF"};
    const Names mono = {L"MONO821N.ttf", L"MON821BI.ttf", L"MONO821B.ttf", L"MONO821I.ttf"};
    Names all = ms;
    all.insert(all.end(), mono.begin(), mono.end());
    const Names msThenMono2 = {ms[0], ms[1], ms[2], ms[3], ms[4], ms[5], ms[6], ms[7], mono[0], mono[1]};
    // Version, files present, the file whose deletion fails; result, files examined, deleted.
    const std::tuple<std::wstring, Names, std::wstring, bool, Names, Names> rows[] = {
        {L"0001.0001.0000.0299", all, L"", true, all, all},
        {L"", {mono[3]}, L"", true, all, {mono[3]}},
        {L"0001.0001.0000.0300", all, L"", true, ms, ms},
        {L"0001.0004.0000.0154", {ms[7]}, L"", true, ms, {ms[7]}},
        {L"0001.0004.0000.0155", all, L"", false, {}, {}},
        {L"0001.0001.0000.0200", all, ms[2], false, {ms[0], ms[1], ms[2]}, {ms[0], ms[1]}},
        {L"0001.0001.0000.0200", all, mono[1], false, msThenMono2, Names(msThenMono2.begin(), msThenMono2.end() - 1)},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [version, present, refused, result, examined, deleted] = row;
        test::FakeFileSystem fs;
        for (const auto& name : present) fs.AddFile(L"F:\\" + name);
        fs.refused.insert(L"F:\\" + refused);
        EXPECT_EQ(RemoveOldFonts(version, [] { return L"F:"; }, fs), result);
        Names seen, gone;
        for (const auto& path : fs.examined) seen.push_back(path.substr(3));
        for (const auto& entry : fs.log) gone.push_back(entry.substr(10));
        EXPECT_EQ(seen, examined);
        EXPECT_EQ(gone, deleted);
    });
    test::FakeFileSystem noFolder;
    EXPECT_FALSE(RemoveOldFonts(L"", [] { return L""; }, noFolder));
    EXPECT_TRUE(noFolder.examined.empty());
}

} // namespace
} // namespace orvh
