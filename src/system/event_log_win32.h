#pragma once
// The program's events in the Application log, source "OrvhUpdate"; their texts are the
// message table of the executable the source is registered with.
#include "system/windows_api_win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvh {

inline constexpr wchar_t kEventSourceName[] = L"OrvhUpdate";

// Registers the source under HKLM (administrators only) naming `messageFile`, unless it names
// a file that is there already: a registration that works is kept, so that a run from a
// folder that goes (a deployment system's cache) does not take it over. Raises a PlatformError.
void RegisterEventLogSource(const std::wstring& messageFile);

// Reports one event of `type` (EVENTLOG_INFORMATION_TYPE, _WARNING_, _ERROR_) whose text is
// the message `id` with `strings` inserted. Raises a PlatformError.
void ReportRunEvent(std::uint32_t id, WORD type, const std::vector<std::wstring>& strings);

} // namespace orvh
