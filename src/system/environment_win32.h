#pragma once
// The process's environment: references expanded by ExpandEnvironmentStringsW, the
// temporary folder, and whether the process runs with an administrator's full rights.
#include <optional>
#include <string>
#include <string_view>

namespace orvh {

std::optional<std::wstring> ExpandEnvironmentReferences(std::wstring_view text);

// ExpandPath with the platform's expansion.
std::wstring ExpandPath(std::wstring_view path);

// The temporary folder, with its trailing backslash. GetTempPath2W, where Windows has it,
// gives SYSTEM a folder only SYSTEM may write to, instead of the Windows folder's Temp that
// every user can write to; elsewhere GetTempPathW.
std::optional<std::wstring> TemporaryFolder();

// Whether the process's token is elevated: an administrator's full token, or SYSTEM's. A
// token that cannot be read counts as elevated, the road that trusts less.
bool ProcessElevated();

} // namespace orvh
