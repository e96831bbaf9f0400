#include "installer_database_win32.h"

#include "forced_codepage.h"
#include "installer_calls_win32.h"

#include "system/unique_handles_win32.h"
#include "system/win32_error_win32.h"

#include <msiquery.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

namespace orvh::msp {
namespace {

std::vector<std::wstring> FieldStrings(MSIHANDLE record) {
    std::vector<std::wstring> strings;
    const UINT count = ::MsiRecordGetFieldCount(record);
    for (UINT field = 1; field <= count; ++field) strings.push_back(RecordString(record, field));
    return strings;
}

Bytes ReadStreamField(MSIHANDLE record, unsigned field) {
    Bytes data;
    char chunk[4096];
    for (;;) {
        DWORD size = sizeof chunk;
        CheckInstallerResult(::MsiRecordReadStream(record, field, chunk, &size), L"MsiRecordReadStream");
        if (size == 0) return data;
        data.insert(data.end(), chunk, chunk + size);
    }
}

Cell ReadCell(MSIHANDLE record, unsigned field, const Column& column) {
    if (::MsiRecordIsNull(record, field)) return std::monostate{};
    switch (KindOf(column)) {
    case ColumnKind::String: return RecordString(record, field);
    case ColumnKind::ShortInteger:
    case ColumnKind::LongInteger: return static_cast<std::int32_t>(::MsiRecordGetInteger(record, field));
    case ColumnKind::Stream: return StreamContent{ReadStreamField(record, field)};
    }
    throw std::invalid_argument("unknown column kind");
}

std::wstring Quoted(const std::wstring& name) { return L"`" + name + L"`"; }

} // namespace

InstallerDatabase::InstallerDatabase(const std::wstring& path) {
    MSIHANDLE database = 0;
    CheckInstallerResult(::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &database), L"MsiOpenDatabaseW");
    database_.reset(database);
}

Tables InstallerDatabase::ReadTables() const {
    std::vector<std::wstring> names;
    ForEachRecord(database_.get(), L"SELECT `Name` FROM `_Tables`", 0,
                  [&](MSIHANDLE record) { names.push_back(RecordString(record, 1)); });
    Tables tables;
    for (const auto& name : names) tables.emplace(name, ReadTable(name));
    return tables;
}

Table InstallerDatabase::ReadTable(const std::wstring& name) const {
    Table table{name, {}, {}};
    MSIHANDLE keyRecord = 0;
    CheckInstallerResult(::MsiDatabaseGetPrimaryKeysW(database_.get(), name.c_str(), &keyRecord),
                         L"MsiDatabaseGetPrimaryKeysW");
    const UniqueInstallerHandle keys(keyRecord);
    const auto keyNames = FieldStrings(keyRecord);
    const std::set<std::wstring> keySet(keyNames.begin(), keyNames.end());

    MSIHANDLE view = 0;
    CheckInstallerResult(::MsiDatabaseOpenViewW(database_.get(), (L"SELECT * FROM " + Quoted(name)).c_str(), &view),
                         L"MsiDatabaseOpenViewW");
    const UniqueInstallerHandle ownedView(view);
    MSIHANDLE nameRecord = 0;
    MSIHANDLE typeRecord = 0;
    CheckInstallerResult(::MsiViewGetColumnInfo(view, MSICOLINFO_NAMES, &nameRecord), L"MsiViewGetColumnInfo");
    const UniqueInstallerHandle names(nameRecord);
    CheckInstallerResult(::MsiViewGetColumnInfo(view, MSICOLINFO_TYPES, &typeRecord), L"MsiViewGetColumnInfo");
    const UniqueInstallerHandle types(typeRecord);
    const auto columnNames = FieldStrings(nameRecord);
    const auto columnTypes = FieldStrings(typeRecord);
    for (std::size_t i = 0; i < columnNames.size(); ++i) {
        table.columns.push_back(Column{columnNames[i], columnTypes[i], keySet.contains(columnNames[i])});
    }

    ForEachRecord(database_.get(), L"SELECT * FROM " + Quoted(name), 0, [&](MSIHANDLE record) {
        Row row;
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            row.push_back(ReadCell(record, static_cast<unsigned>(i + 1), table.columns[i]));
        }
        table.rows.push_back(std::move(row));
    });
    return table;
}

std::uint32_t InstallerDatabase::Codepage(const std::wstring& scratchFolder, const std::wstring& scratchName) const {
    CheckInstallerResult(
        ::MsiDatabaseExportW(database_.get(), L"_ForceCodepage", scratchFolder.c_str(), scratchName.c_str()),
        L"MsiDatabaseExportW");
    std::ifstream file(std::filesystem::path(scratchFolder) / scratchName, std::ios::binary);
    const std::string exported{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const auto codepage = ForcedCodepage(exported);
    if (!codepage) throw std::runtime_error("the database's code page could not be read");
    return *codepage;
}

std::wstring InstallerDatabase::SummaryText(unsigned property) const {
    MSIHANDLE summary = 0;
    CheckInstallerResult(::MsiGetSummaryInformationW(database_.get(), nullptr, 0, &summary),
                         L"MsiGetSummaryInformationW");
    const UniqueInstallerHandle owned(summary);
    UINT type = 0;
    wchar_t none[1] = L"";
    DWORD size = 0;
    UINT result = ::MsiSummaryInfoGetPropertyW(summary, property, &type, nullptr, nullptr, none, &size);
    if (result == ERROR_SUCCESS) return {};
    if (result != ERROR_MORE_DATA) CheckInstallerResult(result, L"MsiSummaryInfoGetPropertyW");
    std::wstring text(size + 1, L'\0');
    size = static_cast<DWORD>(text.size());
    CheckInstallerResult(::MsiSummaryInfoGetPropertyW(summary, property, &type, nullptr, nullptr, text.data(), &size),
                         L"MsiSummaryInfoGetPropertyW");
    text.resize(size);
    return text;
}

std::int32_t InstallerDatabase::SummaryInteger(unsigned property) const {
    MSIHANDLE summary = 0;
    CheckInstallerResult(::MsiGetSummaryInformationW(database_.get(), nullptr, 0, &summary),
                         L"MsiGetSummaryInformationW");
    const UniqueInstallerHandle owned(summary);
    UINT type = 0;
    INT value = 0;
    DWORD size = 0;
    CheckInstallerResult(::MsiSummaryInfoGetPropertyW(summary, property, &type, &value, nullptr, nullptr, &size),
                         L"MsiSummaryInfoGetPropertyW");
    return value;
}

void InstallerDatabase::SaveStream(const std::wstring& name, const std::wstring& file) const {
    const auto parameters = NewRecord(1);
    CheckInstallerResult(::MsiRecordSetStringW(parameters.get(), 1, name.c_str()), L"MsiRecordSetStringW");
    bool found = false;
    ForEachRecord(database_.get(), L"SELECT `Data` FROM `_Streams` WHERE `Name` = ?", parameters.get(),
                  [&](MSIHANDLE record) {
                      const Bytes data = ReadStreamField(record, 1);
                      std::ofstream out(std::filesystem::path(file), std::ios::binary | std::ios::trunc);
                      out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
                      if (!out) throw std::runtime_error("the stream could not be written to a file");
                      found = true;
                  });
    if (!found) throw std::runtime_error("the package has no such stream");
}

} // namespace orvh::msp
