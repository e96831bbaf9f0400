#pragma once
// An installer database opened read-only through msi.dll and read into the builder's
// table model.
#include "table_model.h"

#include "system/unique_handles_win32.h"

#include <cstdint>
#include <string>

namespace orvh::msp {

class InstallerDatabase {
public:
    explicit InstallerDatabase(const std::wstring& path);

    // Every table _Tables lists, with its columns, primary key and rows.
    Tables ReadTables() const;

    // The code page of the database's strings (0: neutral), exported through `scratchFile`.
    std::uint32_t Codepage(const std::wstring& scratchFolder, const std::wstring& scratchName) const;

    std::wstring SummaryText(unsigned property) const;
    std::int32_t SummaryInteger(unsigned property) const;

    // Copies a stream of _Streams into a file.
    void SaveStream(const std::wstring& name, const std::wstring& file) const;

private:
    Table ReadTable(const std::wstring& name) const;

    UniqueInstallerHandle database_;
};

} // namespace orvh::msp
