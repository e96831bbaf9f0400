#pragma once
// Faults a test puts in the launcher's way, and what it observes of a run from outside:
// files held open without sharing or made read-only, the launcher's CPU time, and which
// of the update sub-folders a folder has.
#include "system/unique_handles_win32.h"

#include <chrono>
#include <string>
#include <vector>

namespace orvh::test {

// Opens an existing file for reading and writing with no sharing at all: until the handle
// goes, no other open of the file succeeds.
UniqueFile HoldWithoutSharing(const std::wstring& path);

void MakeReadOnly(const std::wstring& path);

// User plus kernel time the process has used so far.
std::chrono::milliseconds CpuTime(HANDLE process);

// Which of Vecchio, Corrente, Nuovo and Setup exist in `folder`, in that order.
std::vector<std::wstring> UpdateSubFoldersIn(const std::wstring& folder);

// The platform's report of an error nothing caught: "Errore di run-time 'N':", an empty
// line, and the system's description of N.
std::wstring UnhandledErrorText(unsigned long number);

// Creates a folder and every missing parent.
void MakeFolderPath(const std::wstring& path);

} // namespace orvh::test
