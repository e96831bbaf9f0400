#pragma once
// The two editions of the product and everything the launcher knows of each, in one table.
#include "common/string_ids.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvh {

enum class Edition { Server, Client };

struct EditionFacts {
    Edition edition;
    // Chooses the edition on the command line; with the product name it identifies the
    // installed product.
    std::wstring_view upgradeCode;
    // The name Windows Installer reports for the installed edition.
    std::wstring_view productName;
    // The update set's packages, which are also the keys of their versions in older sets.
    std::wstring_view fullPackage;
    std::wstring_view patchPackage;
    // The keys of the two packages' versions in sets named after their archives.
    std::wstring_view fullPackageArchiveKey;
    std::wstring_view patchPackageArchiveKey;
    // String table ids: the window's and the reports' title, the product's name, and the
    // activities of waiting for the product to close and of starting it.
    std::int32_t titleText;
    std::int32_t nameText;
    std::int32_t closingText;
    std::int32_t startingText;
};

// In the order of Edition's values.
inline constexpr EditionFacts kEditions[] = {
    {Edition::Server, L"{4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60}", L"Orvane Hub", L"Orvane Hub.msi", L"ORVHPatch.msp",
     L"Orvane Hub.zip", L"ORVHPatch.zip", text::kHubTitle, text::kHubName, text::kClosingHub, text::kStartingHub},
    {Edition::Client, L"{D3E85B17-92AF-4C06-B471-5E2A8C9F1D34}", L"Orvane Desk", L"Orvane Desk.msi", L"ORVDPatch.msp",
     L"Orvane Desk.zip", L"ORVDPatch.zip", text::kDeskTitle, text::kDeskName, text::kClosingDesk, text::kStartingDesk},
};

constexpr const EditionFacts& FactsOf(Edition edition) { return kEditions[static_cast<int>(edition)]; }
static_assert(FactsOf(Edition::Server).edition == Edition::Server && FactsOf(Edition::Client).edition == Edition::Client);

inline constexpr std::wstring_view kServerUpgradeCode = FactsOf(Edition::Server).upgradeCode;
inline constexpr std::wstring_view kClientUpgradeCode = FactsOf(Edition::Client).upgradeCode;

// The edition named by an upgrade code, compared exactly (case-sensitive); none for any
// other code.
std::optional<Edition> EditionOf(std::wstring_view upgradeCode);

constexpr std::wstring_view UpgradeCodeOf(Edition edition) { return FactsOf(edition).upgradeCode; }
constexpr std::wstring_view ProductNameOf(Edition edition) { return FactsOf(edition).productName; }

} // namespace orvh
