#pragma once
// Small helpers over msi.dll's handle-and-code calls: results as PlatformError, views
// run to their records, record fields as strings.
#include "system/unique_handles_win32.h"

#include <functional>
#include <string>

namespace orvh::msp {

// Raises a msi.dll result other than ERROR_SUCCESS.
void CheckInstallerResult(unsigned result, const wchar_t* call);

// Runs a query, with `parameters` (0 for none), calling `each` for every record it yields.
void ForEachRecord(MSIHANDLE database, const std::wstring& query, MSIHANDLE parameters,
                   const std::function<void(MSIHANDLE record)>& each);

// Runs a statement that yields no records.
void Execute(MSIHANDLE database, const std::wstring& query, MSIHANDLE parameters = 0);

std::wstring RecordString(MSIHANDLE record, unsigned field);

UniqueInstallerHandle NewRecord(unsigned fields);

} // namespace orvh::msp
