// The journals of earlier runs: which go, and the names a run gives its own.
#include "journal/journal_folder.h"
#include "rows.h"
#include "journal/old_journals.h"

#include <gtest/gtest.h>

namespace orvh {
namespace {

using Names = std::vector<std::wstring>;

std::wstring Journal(const wchar_t* run) { return L"OrvhUpdate_" + std::wstring(run) + L".log"; }
std::wstring InstallerLog(const wchar_t* run) { return L"OrvhUpdate_" + std::wstring(run) + L"_msi.log"; }

TEST(OldJournals, OnlyJournalsBeyondTheNewestKeptGo) {
    const wchar_t *a = L"20251231_235959_400", *b = L"20260101_000000_9", *c = L"20260101_000000_10";
    const std::tuple<Names, std::size_t, Names> rows[] = {
        {{Journal(c), Journal(b), Journal(a)}, 3, {}},
        {{Journal(c), Journal(a), Journal(b)}, 2, {Journal(a)}},
        // Process ids of one second in their numeric order.
        {{Journal(c), Journal(b)}, 1, {Journal(b)}},
        {{InstallerLog(a), Journal(b), Journal(a), InstallerLog(b), Journal(c)}, 1,
         {InstallerLog(a), Journal(b), Journal(a), InstallerLog(b)}},
        // An installer log whose journal went is a run of its own.
        {{InstallerLog(a), Journal(b)}, 1, {InstallerLog(a)}},
        {{L"OrvhUpdate_20250101_000000.log", L"OrvhUpdate_20250101-000000_1.log", L"OrvhUpdate_2025010_000000_1.log",
          L"OrvhUpdate_20250101_000000_x.log", L"orvhupdate_20250101_000000_1.log", L"OrvhUpdate_20250101_000000_1.txt",
          L"OrvhUpdate_20250101_000000_1_msi.log.bak", L"notes.log", Journal(c)},
         0, {Journal(c)}},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [names, kept, expected] = row;
        EXPECT_EQ(JournalsToDelete(names, kept), expected);
    });
}

TEST(OldJournals, NamesOfARun) {
    const std::wstring name = JournalFileName(2026, 1, 2, 3, 10, 5, 77);
    EXPECT_EQ(name, L"OrvhUpdate_20260102_031005_77.log");
    EXPECT_EQ(InstallerLogFileName(name), L"OrvhUpdate_20260102_031005_77_msi.log");
    EXPECT_EQ(JournalFileName(2026, 12, 31, 23, 59, 58, 4294967295ul), L"OrvhUpdate_20261231_235958_4294967295.log");
}

// A link is never used; an elevated run uses a folder others cannot change, gives one they can
// change or own its security first, and creates one for SYSTEM and the administrators alone.
TEST(OldJournals, TheFolderAnElevatedRunUses) {
    using enum FolderOwner;
    using enum JournalFolderUse;
    const std::tuple<bool, JournalFolderFacts, JournalFolderUse> rows[] = {
        {false, {true, false, Other, true}, Use},
        {false, {true, true, RunningUser, false}, Refuse},
        {false, {false, false, RunningUser, false}, Refuse},
        {true, {true, false, SystemOrAdministrators, false}, Use},
        {true, {true, false, RunningUser, false}, Use},
        {true, {true, false, SystemOrAdministrators, true}, SecureFirst},
        {true, {true, false, Other, false}, SecureFirst},
        {true, {true, true, SystemOrAdministrators, false}, Refuse},
    };
    test::ForEachRow(rows, [&](const auto& row) {
        const auto& [elevated, facts, use] = row;
        EXPECT_EQ(UseJournalFolder(elevated, facts), use);
    });
    EXPECT_EQ(JournalFolderSecurity(false), std::nullopt);
    EXPECT_EQ(JournalFolderSecurity(true).value(), L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
    EXPECT_EQ(JournalFolderResecurity(), L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
}

} // namespace
} // namespace orvh
