#pragma once
// The two editions of the product and what the launcher knows of each.
#include <optional>
#include <string>
#include <string_view>

namespace orvh {

enum class Edition { Server, Client };

// The edition named by an upgrade code, compared exactly (case-sensitive); none for any
// other code.
std::optional<Edition> EditionOf(std::wstring_view upgradeCode);

std::wstring_view UpgradeCodeOf(Edition edition);
// The name Windows Installer reports for the installed edition.
std::wstring_view ProductNameOf(Edition edition);

} // namespace orvh
