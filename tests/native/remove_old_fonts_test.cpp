// Which obsolete font files go for which installed version, and the first refusal ending
// the removal.
#include "fonts/remove_old_fonts.h"

#include "fake_file_system.h"
#include "test_text.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using Names = std::vector<std::wstring>;

const std::wstring kFonts = L"C:\\Windows\\Fonts";
const Names kMs = {L"ORVH MS.TTF",      L"ORVH MS Grassetto.TTF",      L"ORVH MS Corsivo.TTF",
                   L"ORVH MS Grassetto Corsivo.TTF", L"ORVH MS Zero.TTF", L"ORVH MS Zero Grassetto.TTF",
                   L"ORVH MS Zero Corsivo.TTF", L"ORVH MS Zero Grassetto Corsivo.TTF"};
const Names kMono = {L"MONO821N.ttf", L"MON821BI.ttf", L"MONO821B.ttf", L"MONO821I.ttf"};

Names Join(Names a, const Names& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Names InFonts(const Names& names) {
    Names paths;
    for (const auto& name : names) paths.push_back(kFonts + L"\\" + name);
    return paths;
}

TEST(RemoveOldFonts, WhichFilesGoForWhichVersion) {
    const Names all = Join(kMs, kMono);
    const struct {
        std::wstring version;
        Names present, refused;
        bool result;
        Names examined, deleted;
    } rows[] = {
        {L"0001.0001.0000.0299", all, {}, true, all, all},
        {L"", {kMono[3]}, {}, true, all, {kMono[3]}},
        {L"0001.0001.0000.0200", {}, {}, false, all, {}},
        {L"0001.0001.0000.0300", all, {}, true, kMs, kMs},
        {L"0001.0004.0000.0154", {kMs[7]}, {}, true, kMs, {kMs[7]}},
        {L"0001.0004.0000.0155", all, {}, false, {}, {}},
        {L"0001.0001.0000.0200", all, {kMs[2]}, false, {kMs[0], kMs[1], kMs[2]}, {kMs[0], kMs[1]}},
        {L"0001.0001.0000.0200", all, {kMono[1]}, false, Join(kMs, {kMono[0], kMono[1]}), Join(kMs, {kMono[0]})},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        test::FakeFileSystem fs;
        for (const auto& name : rows[i].present) fs.AddFile(kFonts + L"\\" + name);
        for (const auto& name : rows[i].refused) fs.refused.insert(kFonts + L"\\" + name);
        EXPECT_EQ(RemoveOldFonts(rows[i].version, [] { return kFonts; }, fs), rows[i].result) << "row " << i;
        EXPECT_EQ(fs.examined, InFonts(rows[i].examined)) << "row " << i;
        Names deleted;
        for (const auto& entry : fs.log) deleted.push_back(entry.substr(7));
        EXPECT_EQ(deleted, InFonts(rows[i].deleted)) << "row " << i;
    }
}

TEST(RemoveOldFonts, WithoutFontsFolderNothingIsExamined) {
    test::FakeFileSystem fs;
    fs.AddFile(L"\\ORVH MS.TTF");
    EXPECT_FALSE(RemoveOldFonts(L"", [] { return std::wstring(); }, fs));
    EXPECT_TRUE(fs.examined.empty());
}

} // namespace
} // namespace orvh
