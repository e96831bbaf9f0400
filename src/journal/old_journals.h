#pragma once
// Which journals of earlier runs go: the folder keeps the newest few, each with the
// installer log beside it, and nothing else of the folder is ever touched.
#include <cstddef>
#include <string>
#include <vector>

namespace orvh {

inline constexpr std::size_t kJournalsKept = 20;

// The journal's file name for a run started at that local time by that process:
// "OrvhUpdate_yyyymmdd_hhmmss_pid.log".
std::wstring JournalFileName(int year, int month, int day, int hour, int minute, int second, unsigned long processId);
// The installer log written beside a journal: "..._msi.log".
std::wstring InstallerLogFileName(const std::wstring& journalFileName);

// The files among `names` (file names of one folder) to delete so that only the `kept`
// newest journals stay, by the start time and process id in their names. Installer logs
// go with their journal; files not named as journals are never among them.
std::vector<std::wstring> JournalsToDelete(const std::vector<std::wstring>& names, std::size_t kept = kJournalsKept);

} // namespace orvh
