#include "main/edition.h"

#include "main/command_line.h"

namespace orvh {

std::optional<Edition> EditionOf(std::wstring_view upgradeCode) {
    if (upgradeCode == kServerUpgradeCode) return Edition::Server;
    if (upgradeCode == kClientUpgradeCode) return Edition::Client;
    return std::nullopt;
}

std::wstring_view UpgradeCodeOf(Edition edition) {
    return edition == Edition::Server ? kServerUpgradeCode : kClientUpgradeCode;
}

std::wstring_view ProductNameOf(Edition edition) {
    return edition == Edition::Server ? L"Orvane Hub" : L"Orvane Desk";
}

} // namespace orvh
