#include "patch_tables.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace orvh::msp {
namespace {

const Table& Require(const Tables& tables, const std::wstring& name) {
    const auto found = tables.find(name);
    if (found == tables.end()) throw std::invalid_argument("the package has no table it needs");
    return found->second;
}

Table& Require(Tables& tables, const std::wstring& name) {
    const auto found = tables.find(name);
    if (found == tables.end()) throw std::invalid_argument("the package has no table it needs");
    return found->second;
}

std::int32_t IntegerCell(const Row& row, std::size_t column) {
    const auto* value = std::get_if<std::int32_t>(&row[column]);
    if (!value) throw std::invalid_argument("integer cell expected");
    return *value;
}

std::int32_t HighestInteger(const Table& table, std::wstring_view column) {
    const std::size_t index = ColumnIndex(table, column);
    std::int32_t highest = 0;
    for (const auto& row : table.rows) highest = std::max(highest, IntegerCell(row, index));
    return highest;
}

// Rows of a table by the text of a column; empty when the table is missing.
std::map<std::wstring, const Row*> RowsBy(const Tables& tables, const std::wstring& table, std::wstring_view column) {
    std::map<std::wstring, const Row*> rows;
    const auto found = tables.find(table);
    if (found == tables.end()) return rows;
    const std::size_t index = ColumnIndex(found->second, column);
    for (const auto& row : found->second.rows) rows.emplace(std::get<std::wstring>(row[index]), &row);
    return rows;
}

bool SameExcept(const Row& a, const Row& b, std::size_t ignored) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i != ignored && a[i] != b[i]) return false;
    }
    return true;
}

template <typename Map>
const Row* Find(const Map& rows, const std::wstring& key) {
    const auto found = rows.find(key);
    return found == rows.end() ? nullptr : found->second;
}

} // namespace

std::int32_t LastSequence(const Tables& tables) { return HighestInteger(Require(tables, L"Media"), L"LastSequence"); }

std::int32_t SequencePatchedFiles(const Tables& target, Tables& upgraded, std::int32_t lastSequence) {
    const Table& oldFiles = Require(target, L"File");
    Table& files = Require(upgraded, L"File");
    if (oldFiles.columns != files.columns) throw std::invalid_argument("the File tables differ in their columns");
    const std::size_t key = ColumnIndex(files, L"File");
    const std::size_t sequence = ColumnIndex(files, L"Sequence");
    const std::size_t attributes = ColumnIndex(files, L"Attributes");
    const auto oldRows = RowsBy(target, L"File", L"File");
    const auto oldHashes = RowsBy(target, L"MsiFileHash", L"File_");
    const auto hashes = RowsBy(upgraded, L"MsiFileHash", L"File_");

    std::vector<Row*> patched;
    for (auto& row : files.rows) {
        const auto& name = std::get<std::wstring>(row[key]);
        const Row* old = Find(oldRows, name);
        const Row* oldHash = Find(oldHashes, name);
        const Row* hash = Find(hashes, name);
        const bool sameHash = (!oldHash && !hash) || (oldHash && hash && *oldHash == *hash);
        if (old && SameExcept(*old, row, sequence) && sameHash) continue;
        if (!old) {
            const auto* flags = std::get_if<std::int32_t>(&row[attributes]);
            row[attributes] = (flags ? *flags : 0) | kPatchAddedFile;
        }
        patched.push_back(&row);
    }
    std::stable_sort(patched.begin(), patched.end(), [&](const Row* a, const Row* b) {
        return IntegerCell(*a, sequence) < IntegerCell(*b, sequence);
    });
    for (Row* row : patched) (*row)[sequence] = ++lastSequence;
    return lastSequence;
}

Tables WithPatchMedia(const Tables& tables, const PatchMedia& media) {
    Tables result = tables;
    Table& mediaTable = Require(result, L"Media");
    const std::int32_t diskId = HighestInteger(mediaTable, L"DiskId") + 1;
    Row row(mediaTable.columns.size());
    row[ColumnIndex(mediaTable, L"DiskId")] = diskId;
    row[ColumnIndex(mediaTable, L"LastSequence")] = media.lastSequence;
    row[ColumnIndex(mediaTable, L"Cabinet")] = L"#" + media.cabinetStream;
    row[ColumnIndex(mediaTable, L"Source")] = media.sourceProperty;
    mediaTable.rows.push_back(std::move(row));

    if (result.contains(L"PatchPackage")) throw std::invalid_argument("the package already has a PatchPackage table");
    result.emplace(L"PatchPackage", Table{L"PatchPackage",
                                          {Column{L"PatchId", L"s38", true}, Column{L"Media_", L"i2", false}},
                                          {Row{media.patchCode, diskId}}});
    return result;
}

} // namespace orvh::msp
