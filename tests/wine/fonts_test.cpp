// Obsolete font files removed from the real Fonts folder, and the shell's special folders.
#include "fonts/remove_old_fonts.h"
#include "fonts/special_folder_win32.h"
#include "system/file_system_win32.h"
#include "system/unique_handles_win32.h"
#include "test_paths.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <vector>

namespace orvh {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

const std::vector<std::wstring> kSet1 = {
    L"ORVH MS.TTF",      L"ORVH MS Grassetto.TTF",      L"ORVH MS Corsivo.TTF",      L"ORVH MS Grassetto Corsivo.TTF",
    L"ORVH MS Zero.TTF", L"ORVH MS Zero Grassetto.TTF", L"ORVH MS Zero Corsivo.TTF", L"ORVH MS Zero Grassetto Corsivo.TTF"};
const std::vector<std::wstring> kSet2 = {L"MONO821N.ttf", L"MON821BI.ttf", L"MONO821B.ttf", L"MONO821I.ttf"};

std::wstring WindowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length);
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(SpecialFolder, FontsFolderThroughTheShell) {
    const std::wstring fonts = FontsFolder();
    std::cout << "Fonts folder: " << Narrow(fonts) << "\n";
    EXPECT_EQ(::CompareStringOrdinal(fonts.c_str(), -1, (WindowsFolder() + L"\\Fonts").c_str(), -1, TRUE), CSTR_EQUAL)
        << Narrow(fonts);
    EXPECT_NE(fonts.back(), L'\\');
    EXPECT_EQ(GetSpecialFolder(nullptr, CSIDL_FONTS), fonts);
    EXPECT_EQ(GetSpecialFolder(nullptr, CSIDL_WINDOWS), WindowsFolder());
}

TEST(SpecialFolder, FoldersWithoutPathGiveEmptyText) {
    // The "Computer" folder has no file-system path; an unknown identifier is refused.
    EXPECT_EQ(GetSpecialFolder(nullptr, CSIDL_DRIVES), L"");
    EXPECT_EQ(GetSpecialFolder(nullptr, 0x7F), L"");
}

class RemoveOldFontsTest : public testing::Test {
protected:
    ~RemoveOldFontsTest() override {
        for (const auto& set : {kSet1, kSet2}) {
            for (const auto& name : set) {
                const std::wstring path = InFonts(name);
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        }
    }
    std::wstring InFonts(const std::wstring& name) const { return fonts + L"\\" + name; }
    void Create(const std::vector<std::wstring>& names) {
        for (const auto& name : names) test::WriteFileBytes(InFonts(name), "not really a font");
    }
    bool Remove(const std::wstring& version) { return RemoveOldFonts(version, FontsFolder, fs); }

    const std::wstring fonts = FontsFolder();
    Win32FileSystem fs;
};

TEST_F(RemoveOldFontsTest, BothSets) {
    Create(kSet1);
    Create(kSet2);
    EXPECT_TRUE(Remove(L"0001.0001.0000.0200"));
    for (const auto& set : {kSet1, kSet2}) {
        for (const auto& name : set) EXPECT_FALSE(Exists(InFonts(name))) << Narrow(name);
    }
}

TEST_F(RemoveOldFontsTest, OnlyTheFirstSet) {
    Create(kSet1);
    Create(kSet2);
    EXPECT_TRUE(Remove(L"0001.0003.0000.0000"));
    for (const auto& name : kSet1) EXPECT_FALSE(Exists(InFonts(name))) << Narrow(name);
    for (const auto& name : kSet2) EXPECT_TRUE(Exists(InFonts(name))) << Narrow(name);
}

TEST_F(RemoveOldFontsTest, SomeFilesOfTheSets) {
    Create({kSet1[3], kSet2[2]});
    EXPECT_TRUE(Remove(L""));
    EXPECT_FALSE(Exists(InFonts(kSet1[3])));
    EXPECT_FALSE(Exists(InFonts(kSet2[2])));
}

TEST_F(RemoveOldFontsTest, NoneToRemove) {
    EXPECT_FALSE(Remove(L"0001.0001.0000.0200"));
    Create(kSet1);
    EXPECT_FALSE(Remove(L"0001.0004.0000.0155"));
    for (const auto& name : kSet1) EXPECT_TRUE(Exists(InFonts(name))) << Narrow(name);
}

TEST_F(RemoveOldFontsTest, ReadOnlyFileIsDeleted) {
    Create({kSet2[1]});
    ASSERT_TRUE(::SetFileAttributesW(InFonts(kSet2[1]).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(Remove(L"0001.0001.0000.0200"));
    EXPECT_FALSE(Exists(InFonts(kSet2[1])));
}

TEST_F(RemoveOldFontsTest, FileHeldOpenEndsTheRemoval) {
    Create({kSet1[0], kSet1[2], kSet1[5], kSet2[0]});
    const UniqueFile held(::CreateFileW(InFonts(kSet1[2]).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(Remove(L"0001.0001.0000.0200"));
    // Deleted before the failure, held, and never reached.
    EXPECT_FALSE(Exists(InFonts(kSet1[0])));
    EXPECT_TRUE(Exists(InFonts(kSet1[2])));
    EXPECT_TRUE(Exists(InFonts(kSet1[5])));
    EXPECT_TRUE(Exists(InFonts(kSet2[0])));
}

} // namespace
} // namespace orvh
