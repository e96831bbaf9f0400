#include "msp/patch_tables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace orvh::msp {
namespace {

using testing::ElementsAre;

Table FileTable(std::vector<Row> rows) {
    return Table{L"File",
                 {{L"File", L"s72", true}, {L"Component_", L"s72", false}, {L"FileName", L"l255", false},
                  {L"FileSize", L"i4", false}, {L"Version", L"S72", false}, {L"Language", L"S20", false},
                  {L"Attributes", L"I2", false}, {L"Sequence", L"i4", false}},
                 std::move(rows)};
}

Row File(const wchar_t* key, std::int32_t size, std::int32_t sequence, Cell attributes = 512) {
    return {key, L"Component", key, size, std::monostate{}, std::monostate{}, attributes, sequence};
}

Table HashTable(std::vector<Row> rows) {
    return Table{L"MsiFileHash",
                 {{L"File_", L"s72", true}, {L"Options", L"i2", false}, {L"HashPart1", L"i4", false}},
                 std::move(rows)};
}

Table MediaTable(std::vector<Row> rows) {
    return Table{L"Media",
                 {{L"DiskId", L"i2", true}, {L"LastSequence", L"i4", false}, {L"DiskPrompt", L"L64", false},
                  {L"Cabinet", L"S255", false}, {L"VolumeLabel", L"S32", false}, {L"Source", L"S72", false}},
                 std::move(rows)};
}

Tables Package(std::vector<Row> files, std::vector<Row> hashes) {
    Tables tables;
    tables.emplace(L"File", FileTable(std::move(files)));
    tables.emplace(L"MsiFileHash", HashTable(std::move(hashes)));
    tables.emplace(L"Media", MediaTable({{1, 3, std::monostate{}, L"#payload.cab", std::monostate{}, std::monostate{}}}));
    return tables;
}

TEST(LastSequence, IsTheHighestOfTheMediaTable) {
    Tables tables = Package({}, {});
    EXPECT_EQ(LastSequence(tables), 3);
    tables.at(L"Media").rows.push_back({2, 7, std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{}});
    EXPECT_EQ(LastSequence(tables), 7);
    EXPECT_THROW(LastSequence(Tables{}), std::invalid_argument);
}

TEST(SequencePatchedFiles, ChangedAndNewFilesFollowTheTargetsLastSequence) {
    const Tables target = Package({File(L"Same", 10, 1), File(L"Resized", 20, 2), File(L"Rehashed", 30, 3)},
                                  {{L"Same", 0, 1}, {L"Resized", 0, 2}, {L"Rehashed", 0, 3}});
    // The upgraded package orders its files differently: the new numbers follow its order.
    Tables upgraded = Package({File(L"Rehashed", 30, 1), File(L"Same", 10, 2), File(L"Added", 5, 3, std::monostate{}),
                               File(L"Resized", 25, 4)},
                              {{L"Same", 0, 1}, {L"Resized", 0, 9}, {L"Rehashed", 0, 8}, {L"Added", 0, 4}});

    EXPECT_EQ(SequencePatchedFiles(target, upgraded, 3), 6);

    EXPECT_THAT(upgraded.at(L"File").rows,
                ElementsAre(File(L"Rehashed", 30, 4), File(L"Same", 10, 2), File(L"Added", 5, 5, kPatchAddedFile),
                            File(L"Resized", 25, 6)));
}

TEST(SequencePatchedFiles, NewFileKeepsItsOtherAttributes) {
    const Tables target = Package({}, {});
    Tables upgraded = Package({File(L"Added", 5, 1, 512)}, {});
    EXPECT_EQ(SequencePatchedFiles(target, upgraded, 3), 4);
    EXPECT_EQ(upgraded.at(L"File").rows[0][6], Cell{512 | kPatchAddedFile});
}

TEST(SequencePatchedFiles, NothingChangedLeavesTheSequence) {
    const Tables target = Package({File(L"Same", 10, 1)}, {{L"Same", 0, 1}});
    Tables upgraded = target;
    EXPECT_EQ(SequencePatchedFiles(target, upgraded, 3), 3);
    EXPECT_EQ(upgraded.at(L"File").rows, target.at(L"File").rows);
}

TEST(WithPatchMedia, AddsTheCabinetRowAndThePatchPackageTable) {
    const Tables target = Package({}, {});
    const Tables patched = WithPatchMedia(target, PatchMedia{L"{P}", L"patch.cab", L"PATCHMediaSrcProp", 6});

    EXPECT_THAT(patched.at(L"Media").rows,
                ElementsAre(target.at(L"Media").rows[0],
                            Row{2, 6, std::monostate{}, L"#patch.cab", std::monostate{}, L"PATCHMediaSrcProp"}));
    const Table& patchPackage = patched.at(L"PatchPackage");
    EXPECT_EQ(patchPackage.columns, (std::vector<Column>{{L"PatchId", L"s38", true}, {L"Media_", L"i2", false}}));
    EXPECT_THAT(patchPackage.rows, ElementsAre(Row{L"{P}", 2}));
    EXPECT_EQ(patched.at(L"File").rows, target.at(L"File").rows);
}

} // namespace
} // namespace orvh::msp
