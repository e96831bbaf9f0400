#include "fonts/remove_old_fonts.h"

#include "fake_file_system.h"

#include <gtest/gtest.h>

#include <set>

namespace orvh {
namespace {

const std::wstring kFonts = L"C:\\Windows\\Fonts";

const std::vector<std::wstring> kSet1 = {
    L"ORVH MS.TTF",      L"ORVH MS Grassetto.TTF",      L"ORVH MS Corsivo.TTF",      L"ORVH MS Grassetto Corsivo.TTF",
    L"ORVH MS Zero.TTF", L"ORVH MS Zero Grassetto.TTF", L"ORVH MS Zero Corsivo.TTF", L"ORVH MS Zero Grassetto Corsivo.TTF"};
const std::vector<std::wstring> kSet2 = {L"MONO821N.ttf", L"MON821BI.ttf", L"MONO821B.ttf", L"MONO821I.ttf"};

std::vector<std::wstring> InFonts(const std::vector<std::wstring>& names) {
    std::vector<std::wstring> paths;
    for (const auto& name : names) paths.push_back(kFonts + L"\\" + name);
    return paths;
}

std::vector<std::wstring> Join(std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The in-memory file system with every existence test and deletion recorded in order, as
// the paths were spelled, and the deletion of chosen files refused.
class WatchedFileSystem final : public FileSystem {
public:
    test::FakeFileSystem files;
    std::set<std::wstring> refused;
    mutable std::vector<std::wstring> examined;
    std::vector<std::wstring> deleted;

    bool FileExists(const std::wstring& path) const override {
        examined.push_back(path);
        return files.FileExists(path);
    }
    bool FolderExists(const std::wstring& path) const override { return files.FolderExists(path); }
    void CreateFolder(const std::wstring& path) override { files.CreateFolder(path); }
    void CopyFile(const std::wstring& source, const std::wstring& destination) override {
        files.CopyFile(source, destination);
    }
    void DeleteFile(const std::wstring& path) override {
        if (refused.count(path)) throw PlatformError(32, L"DeleteFile", L"in use");
        files.DeleteFile(path);
        deleted.push_back(path);
    }
    void DeleteFolder(const std::wstring& path) override { files.DeleteFolder(path); }
    std::wstring GetFilePath(const std::wstring& path) const override { return files.GetFilePath(path); }
};

TEST(RemoveOldFonts, WhichFilesGoForWhichVersion) {
    const auto all = Join(kSet1, kSet2);
    struct Case {
        std::wstring version;
        std::vector<std::wstring> present;
        std::vector<std::wstring> refused;
        bool result;
        std::vector<std::wstring> examined;
        std::vector<std::wstring> deleted;
    };
    const Case cases[] = {
        // Below both thresholds: set 1, then set 2.
        {L"0001.0001.0000.0200", all, {}, true, all, all},
        {L"", all, {}, true, all, all},
        {L"0001.0001.0000.0299", {kSet2[3]}, {}, true, all, {kSet2[3]}},
        {L"0001.0001.0000.0200", {}, {}, false, all, {}},
        {L"0001.0001.0000.0200", {kSet1[1], kSet1[6], kSet2[0]}, {}, true, all, {kSet1[1], kSet1[6], kSet2[0]}},
        // Only the "ORVH MS" family.
        {L"0001.0001.0000.0300", all, {}, true, kSet1, kSet1},
        {L"0001.0003.0000.0000", all, {}, true, kSet1, kSet1},
        {L"0001.0004.0000.0154", {kSet1[7]}, {}, true, kSet1, {kSet1[7]}},
        {L"0001.0003.0000.0000", kSet2, {}, false, kSet1, {}},
        // Nothing is examined from the last version that installed none.
        {L"0001.0004.0000.0155", all, {}, false, {}, {}},
        {L"0001.0004.0000.0156", all, {}, false, {}, {}},
        {L"0002.0000.0000.0000", all, {}, false, {}, {}},
        // A refused deletion ends the removal: false, later entries not examined.
        {L"0001.0001.0000.0200", all, {kSet1[2]}, false, {kSet1[0], kSet1[1], kSet1[2]}, {kSet1[0], kSet1[1]}},
        {L"0001.0001.0000.0200", all, {kSet2[1]}, false, Join(kSet1, {kSet2[0], kSet2[1]}), Join(kSet1, {kSet2[0]})},
        {L"0001.0001.0000.0200", {kSet1[2]}, {kSet1[2]}, false, {kSet1[0], kSet1[1], kSet1[2]}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version.begin(), c.version.end()));
        WatchedFileSystem fs;
        fs.files.AddFolder(kFonts);
        for (const auto& name : c.present) fs.files.AddFile(kFonts + L"\\" + name, "font", name == kSet1[0]);
        for (const auto& name : c.refused) fs.refused.insert(kFonts + L"\\" + name);
        EXPECT_EQ(RemoveOldFonts(c.version, [] { return kFonts; }, fs), c.result);
        EXPECT_EQ(fs.examined, InFonts(c.examined));
        EXPECT_EQ(fs.deleted, InFonts(c.deleted));
        for (const auto& name : c.present) {
            const bool gone = std::find(c.deleted.begin(), c.deleted.end(), name) != c.deleted.end();
            EXPECT_EQ(fs.files.FileExists(kFonts + L"\\" + name), !gone);
        }
    }
}

TEST(RemoveOldFonts, WithoutFontsFolderNothingIsExamined) {
    WatchedFileSystem fs;
    fs.files.AddFile(L"\\ORVH MS.TTF");
    EXPECT_FALSE(RemoveOldFonts(L"", [] { return std::wstring(); }, fs));
    EXPECT_TRUE(fs.examined.empty());
    EXPECT_TRUE(fs.files.FileExists(L"\\ORVH MS.TTF"));
}

TEST(RemoveOldFonts, ReadOnlyFontFilesAreDeleted) {
    WatchedFileSystem fs;
    fs.files.AddFolder(kFonts);
    fs.files.AddFile(kFonts + L"\\MONO821B.ttf", "font", true);
    EXPECT_TRUE(RemoveOldFonts(L"0001.0000.0000.0001", [] { return kFonts; }, fs));
    EXPECT_FALSE(fs.files.FileExists(kFonts + L"\\MONO821B.ttf"));
}

} // namespace
} // namespace orvh
