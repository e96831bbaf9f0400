#include "patch_package_win32.h"

#include "installer_calls_win32.h"

#include "system/unique_handles_win32.h"

#include <msidefs.h>
#include <msiquery.h>

namespace orvh::msp {
namespace {

// Installer version 3 reads MsiPatchSequence.
constexpr INT kPatchInstallerVersion = 3;
// The summary holds no more properties than these.
constexpr UINT kSummaryUpdates = 16;

void InsertRow(MSIHANDLE database, const std::wstring& query, const std::vector<std::wstring>& values) {
    const auto record = NewRecord(static_cast<unsigned>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        CheckInstallerResult(::MsiRecordSetStringW(record.get(), static_cast<UINT>(i + 1), values[i].c_str()),
                             L"MsiRecordSetStringW");
    }
    Execute(database, query, record.get());
}

void InsertFromFile(MSIHANDLE database, const std::wstring& table, const std::wstring& name, const std::wstring& file) {
    const auto record = NewRecord(2);
    CheckInstallerResult(::MsiRecordSetStringW(record.get(), 1, name.c_str()), L"MsiRecordSetStringW");
    CheckInstallerResult(::MsiRecordSetStreamW(record.get(), 2, file.c_str()), L"MsiRecordSetStreamW");
    Execute(database, L"INSERT INTO `" + table + L"` (`Name`, `Data`) VALUES (?, ?)", record.get());
}

void WriteTables(MSIHANDLE database, const PatchPackageContent& content) {
    Execute(database, L"CREATE TABLE `MsiPatchMetadata` (`Company` CHAR(72), `Property` CHAR(72) NOT NULL, "
                      L"`Value` LONGCHAR NOT NULL PRIMARY KEY `Company`, `Property`)");
    const std::wstring metadata = L"INSERT INTO `MsiPatchMetadata` (`Property`, `Value`) VALUES (?, ?)";
    InsertRow(database, metadata, {L"AllowRemoval", L"1"});
    InsertRow(database, metadata, {L"Classification", L"Update"});
    InsertRow(database, metadata, {L"DisplayName", content.displayName});
    InsertRow(database, metadata, {L"Description", content.description});
    InsertRow(database, metadata, {L"ManufacturerName", content.manufacturer});

    Execute(database, L"CREATE TABLE `MsiPatchSequence` (`PatchFamily` CHAR(72) NOT NULL, `ProductCode` CHAR(38), "
                      L"`Sequence` CHAR(72) NOT NULL, `Attributes` LONG PRIMARY KEY `PatchFamily`, `ProductCode`)");
    InsertRow(database, L"INSERT INTO `MsiPatchSequence` (`PatchFamily`, `Sequence`) VALUES (?, ?)",
              {content.family, content.sequence});
}

void SetSummaryText(MSIHANDLE summary, UINT property, const std::wstring& value) {
    CheckInstallerResult(::MsiSummaryInfoSetPropertyW(summary, property, VT_LPSTR, 0, nullptr, value.c_str()),
                         L"MsiSummaryInfoSetPropertyW");
}

void WriteSummary(MSIHANDLE database, const PatchPackageContent& content) {
    MSIHANDLE summary = 0;
    CheckInstallerResult(::MsiGetSummaryInformationW(database, nullptr, kSummaryUpdates, &summary),
                         L"MsiGetSummaryInformationW");
    const UniqueInstallerHandle owned(summary);
    SetSummaryText(summary, PID_TITLE, L"Patch");
    SetSummaryText(summary, PID_SUBJECT, content.displayName);
    SetSummaryText(summary, PID_AUTHOR, content.manufacturer);
    SetSummaryText(summary, PID_COMMENTS, content.description);
    SetSummaryText(summary, PID_TEMPLATE, content.targetProducts);
    SetSummaryText(summary, PID_LASTAUTHOR, TransformList(content));
    SetSummaryText(summary, PID_REVNUMBER, content.patchCode);
    CheckInstallerResult(
        ::MsiSummaryInfoSetPropertyW(summary, PID_WORDCOUNT, VT_I4, kPatchInstallerVersion, nullptr, nullptr),
        L"MsiSummaryInfoSetPropertyW");
    CheckInstallerResult(::MsiSummaryInfoPersist(summary), L"MsiSummaryInfoPersist");
}

} // namespace

std::wstring TransformList(const PatchPackageContent& content) {
    std::wstring list;
    for (const auto& [name, file] : content.transforms) list += (list.empty() ? L":" : L";:") + name;
    return list;
}

void WritePatchPackage(const std::wstring& path, const PatchPackageContent& content) {
    MSIHANDLE database = 0;
    CheckInstallerResult(::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_CREATE + MSIDBOPEN_PATCHFILE, &database),
                         L"MsiOpenDatabaseW");
    const UniqueInstallerHandle owned(database);
    WriteTables(database, content);
    for (const auto& [name, file] : content.transforms) InsertFromFile(database, L"_Storages", name, file);
    InsertFromFile(database, L"_Streams", content.cabinetStream, content.cabinetFile);
    WriteSummary(database, content);
    CheckInstallerResult(::MsiDatabaseCommit(database), L"MsiDatabaseCommit");
}

} // namespace orvh::msp
