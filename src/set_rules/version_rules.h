#pragma once
// What the launcher makes of the versions a set announces.
#include "set_rules/set_files.h"

#include <string>

namespace orvh {

// The patch version a run goes on with: the announced one, emptied when the installed version
// or the full package's is above it.
std::wstring PatchVersionKept(const std::wstring& installed, const std::wstring& update, const std::wstring& patch);

// Whether the patch is due over a product at `version`: the full package's when a newer one
// is installed first (whatever its result), else the installed version.
bool PatchNewerThan(const std::wstring& version, const std::wstring& patch);

// Whether a signed launcher requires a file's own version to be the announced one: a full
// package's ProductVersion and a launcher's file version. A patch's own version is not read:
// Windows Installer decides whether it applies.
constexpr bool CarriesAnnouncedVersion(SetRole role) { return role != SetRole::Patch; }

} // namespace orvh
