#pragma once
// Summary information of a patch transform: which product and version it turns into
// which, and what the installer checks before applying it.
#include "summary_stream.h"

#include <cstdint>
#include <string>

namespace orvh::msp {

// The facts of one side of a transform, from its Property table and summary.
struct ProductState {
    std::wstring productCode;
    std::wstring version;
    std::wstring upgradeCode;
    std::wstring platformAndLanguage;  // the package's Template, "Intel;1033"
};

// Validation flags (high word of the character count): the product code and the upgrade
// code of the installed product must match the transform's "from" side.
constexpr std::uint32_t kValidateProduct = 0x0002;
constexpr std::uint32_t kValidateUpgradeCode = 0x0800;

// Template = from's platform and language, last author = to's, revision =
// "{from code}from version;{to code}to version;{upgrade code}", page count = the
// installer version the target needs. Throws std::invalid_argument for text that is not
// plain ASCII.
std::vector<SummaryProperty> TransformSummary(const ProductState& from, const ProductState& to,
                                              std::int32_t installerVersion);

} // namespace orvh::msp
